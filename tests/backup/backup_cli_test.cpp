// "twinfold-cli backup": the commands end to end on real folders, and the questions
// they refuse when no one is there to answer.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/backup_command.h"
#include "cli/terminal_questions.h"
#include "settings/settings_store.h"
#include "tests/backup/backup_test_support.h"
#include "tests/support/scripted_questions.h"

namespace tf {
namespace {

using testing::NamesIn;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

class BackupCliTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::PrivateTrashFiles(); }

  // Runs "backup ARGS" and keeps what it wrote.
  int run(std::vector<std::string> args, Questions* questions = nullptr) {
    args.insert(args.begin(), "backup");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    std::FILE* in = std::tmpfile();
    TerminalQuestions nobody(in, err, false);
    BackupCommandIo io{out, err, questions ? questions : &nobody, testing::WithPlugin()};
    int status = RunBackupCommandWith(static_cast<int>(argv.size()), argv.data(), io);
    output = slurp(out);
    errors = slurp(err);
    std::fclose(in);
    return status;
  }
  static std::string slurp(std::FILE* f) {
    std::string text;
    std::rewind(f);
    for (int c; (c = std::fgetc(f)) != EOF;) text.push_back(static_cast<char>(c));
    std::fclose(f);
    return text;
  }

  TempDir backup, files;
  std::string output, errors;
};

TEST_F(BackupCliTest, AddListRestoreDelete) {
  const std::string odd = files / "odd\tname\n\xff.txt";
  WriteBytes(odd, "odd");
  WriteBytes(files / "kept.txt", "kept");
  ASSERT_EQ(run({"add", odd, "--comment", "a\nb", "--folder", backup.path()}), 0) << errors;
  ASSERT_EQ(run({"add", "--keep", files / "kept.txt", "--folder", backup.path()}), 0) << errors;
  EXPECT_FALSE(std::filesystem::exists(odd));  // moved to the trash after the backup
  EXPECT_EQ(ReadBytes(files / "kept.txt"), "kept");

  ASSERT_EQ(run({"list", "--folder", backup.path()}), 0) << errors;
  const std::string location = files.path() + "/";
  EXPECT_EQ(output.substr(0, output.find('\n')),
            "number\tname\tlocation\tplaced\ttype\tsize\tcomment");
  EXPECT_NE(output.find("\n1\todd\\tname\\n\\xff.txt\t" + location), std::string::npos) << output;
  EXPECT_NE(output.find("\ttxt\t3 \ta \\\\ b\n"), std::string::npos) << output;
  EXPECT_NE(output.find("\n1\tkept.txt\t"), std::string::npos) << output;

  ASSERT_EQ(run({"list", "--format", "json", "--folder", backup.path()}), 0) << errors;
  EXPECT_NE(output.find("\"name\":\"odd\\tname\\n\\ufffd.txt\",\"name_base64\":\""),
            std::string::npos)
      << output;
  EXPECT_NE(output.find("\"size\":4,\"compressed\":true"), std::string::npos) << output;

  // The original name is unique, so it names the entry; the number 1 is not.
  EXPECT_EQ(run({"restore", "1", "--folder", backup.path()}), 1);
  EXPECT_NE(errors.find("more than one"), std::string::npos);
  ASSERT_EQ(run({"restore", "odd\tname\n\xff.txt", "--folder", backup.path()}), 0) << errors;
  EXPECT_EQ(ReadBytes(odd), "odd");
  ASSERT_EQ(run({"delete", "1.kept.txt.zipp", "--folder", backup.path()}), 0) << errors;
  EXPECT_TRUE(NamesIn(backup.path()).empty());
  EXPECT_EQ(run({"delete", "1.kept.txt.zipp", "--folder", backup.path()}), 1);
}

TEST_F(BackupCliTest, WithoutATerminalNothingIsOverwritten) {
  WriteBytes(files / "doc.txt", "backed up");
  ASSERT_EQ(run({"add", "--keep", files / "doc.txt", "--folder", backup.path()}), 0);
  WriteBytes(files / "doc.txt", "changed since");
  EXPECT_EQ(run({"restore", "doc.txt", "--folder", backup.path()}), 1);
  EXPECT_EQ(ReadBytes(files / "doc.txt"), "changed since");
  EXPECT_EQ(NamesIn(backup.path()).size(), 2u);
  EXPECT_NE(errors.find("taken as"), std::string::npos) << errors;

  // The same question answered Yes on a terminal replaces the file.
  testing::ScriptedQuestions person;
  person.answers = {IDYES};
  EXPECT_EQ(run({"restore", "doc.txt", "--folder", backup.path()}, &person), 0) << errors;
  EXPECT_EQ(ReadBytes(files / "doc.txt"), "backed up");
  EXPECT_EQ(person.asked.size(), 1u);
}

TEST(TerminalQuestions, RepromptsUntilAnAnswerFitsTheButtons) {
  std::FILE* in = std::tmpfile();
  std::FILE* out = std::tmpfile();
  std::fputs("maybe\nc\nN\n", in);
  std::rewind(in);
  TerminalQuestions person(in, out, true);
  EXPECT_EQ(person.ShowMessage("Replace?", "Replace file ?", MB_YESNO), IDNO);  // no Cancel
  EXPECT_EQ(person.ShowMessage("Again?", nullptr, MB_YESNOCANCEL), IDCANCEL);   // input ended
  EXPECT_EQ(person.ShowMessage("Done.", "Note", MB_OK), IDCANCEL);
  EXPECT_EQ(person.ShowMessage("", "Note", MB_YESNO), 0);
  std::fclose(in);
  std::fclose(out);
}

TEST_F(BackupCliTest, UsageErrorsAndTheFolderFromTheSettings) {
  EXPECT_EQ(run({}), 2);
  EXPECT_EQ(run({"frobnicate"}), 2);
  EXPECT_EQ(run({"add", "--folder", backup.path()}), 2);
  EXPECT_EQ(run({"list", "--format", "xml", "--folder", backup.path()}), 2);
  EXPECT_EQ(run({"list", "--folder"}), 2);
  EXPECT_EQ(run({"list", "--folder", backup / "missing"}), 1);
  EXPECT_FALSE(std::filesystem::exists(backup / "missing"));  // a chosen folder is never made

  WriteBytes(backup / "4.from.settings", "x");
  const std::string settingsFile = files / "twinfold.dat";
  SettingsStore settings;
  settings.SetDefaults({settingsFile, files / "unused"});
  settings.SetBackupFolder(backup.path());
  ASSERT_EQ(settings.Save(), 1);
  ASSERT_EQ(run({"list", "--settings", settingsFile}), 0) << errors;
  EXPECT_NE(output.find("\n4\tfrom.settings\t-\t-\t-\t-\t-\n"), std::string::npos) << output;
}

}  // namespace
}  // namespace tf
