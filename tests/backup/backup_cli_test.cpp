// "twinfold-cli backup" end to end on real folders.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/backup_command.h"
#include "cli/terminal_questions.h"
#include "platform/zip_plugin.h"
#include "results/backup_names.h"
#include "results/backup_store.h"
#include "results/links_history.h"
#include "settings/settings_store.h"
#include "tests/backup/backup_test_support.h"
#include "tests/support/run_program.h"
#include "tests/support/scripted_questions.h"

namespace tf {
namespace {

using namespace testing;

class BackupCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::PrivateTrashFiles();
    // The action journal of the programs run, away from the user's own.
    static TempTree stateHome;
    setenv("XDG_STATE_HOME", stateHome.path().c_str(), 1);
  }

  // What the commands print goes to a terminal: no name may ring or move the cursor.
  int run(std::vector<std::string> args, Questions* questions = nullptr, bool zip = true) {
    args.insert(args.begin(), "backup");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    std::FILE* in = std::tmpfile();
    TerminalQuestions nobody(in, err, false);
    BackupCommandIo io{out, err, questions ? questions : &nobody,
                       zip ? testing::WithPlugin() : testing::WithoutPlugin()};
    int status = RunBackupCommandWith(static_cast<int>(argv.size()), argv.data(), io);
    output = testing::ReadAndClose(out);
    errors = testing::ReadAndClose(err);
    std::fclose(in);
    EXPECT_EQ((output + errors).find_first_of("\a\x1b"), std::string::npos) << output << errors;
    return status;
  }
  TempTree backup, files;
  std::string output, errors;
};

// Without a terminal no question is answered Yes, so nothing is overwritten.
TEST_F(BackupCliTest, AddListRestoreDelete) {
  const std::string name = "odd\tname\n\xff\a\x1b[2J.txt";
  const std::string odd = files / name, kept = files / "kept.txt", folder = backup.path();
  WriteFile(odd, "odd");
  WriteFile(kept, "kept");
  ASSERT_EQ(run({"add", odd, "--comment", "a\nb\\c", "--folder", folder}), 0) << errors;
  ASSERT_EQ(run({"add", "--keep", kept, "--folder", folder}), 0) << errors;
  EXPECT_FALSE(std::filesystem::exists(odd));  // moved to the trash after the backup
  EXPECT_EQ(ReadFile(kept), "kept");

  ASSERT_EQ(run({"list", "--folder", folder}), 0) << errors;
  EXPECT_NE(output.find("\n1\todd\\tname\\n\\xff"), std::string::npos) << output;
  EXPECT_NE(output.find("\t" + files.path() + "/\t"), std::string::npos) << output;
  // The line break's backslash shows as in the descriptor, the comment's own doubled.
  EXPECT_NE(output.find("\ttxt\t3 \ta \\ b\\\\c\n"), std::string::npos) << output;
  EXPECT_NE(output.find("\n1\tkept.txt\t"), std::string::npos) << output;
  ASSERT_EQ(run({"list", "--format", "json", "--folder", folder}), 0) << errors;
  EXPECT_NE(output.find("\"name\":\"odd\\tname\\n\\ufffd"), std::string::npos) << output;
  EXPECT_NE(output.find("\"size\":4,\"compressed\":true"), std::string::npos) << output;

  EXPECT_EQ(run({"restore", "1", "--folder", folder}), 1);
  EXPECT_NE(errors.find("more than one"), std::string::npos);
  ASSERT_EQ(run({"restore", name, "--folder", folder}), 0) << errors;
  EXPECT_EQ(ReadFile(odd), "odd");

  WriteFile(kept, "changed since");
  EXPECT_EQ(run({"restore", "kept.txt", "--folder", folder}), 1);
  EXPECT_EQ(ReadFile(kept), "changed since");
  EXPECT_NE(errors.find("taken as"), std::string::npos) << errors;
  testing::ScriptedQuestions person;
  person.answers = {IDYES};
  EXPECT_EQ(run({"restore", "kept.txt", "--folder", folder}, &person), 0) << errors;
  EXPECT_EQ(ReadFile(kept), "kept");
  EXPECT_EQ(person.asked.size(), 1u);

  ASSERT_EQ(run({"add", "--keep", kept, "--folder", folder}), 0) << errors;
  ASSERT_EQ(run({"delete", "1.kept.txt.zipp", "--folder", folder}), 0) << errors;
  EXPECT_TRUE(NamesIn(folder).empty());
  EXPECT_EQ(run({"delete", "1.kept.txt.zipp", "--folder", folder}), 1);

  EXPECT_EQ(run({}), 2);
  EXPECT_EQ(run({"add", "--folder", folder}), 2);
  EXPECT_EQ(run({"list", "--folder"}), 2);
  EXPECT_EQ(run({"list", "--folder", backup / "gone\x1b"}), 1);
  EXPECT_FALSE(std::filesystem::exists(backup / "gone\x1b"));

  WriteFile(backup / "2.a.txt", "a");
  WriteFile(backup / "2.a.txt.backup_info", "location\t/x/\r\nsize\t12 bytes\r\n");
  ASSERT_EQ(run({"list", "--format", "json", "--folder", folder}), 0) << errors;
  EXPECT_NE(output.find("\"size\":null"), std::string::npos) << output;
  const std::string settingsFile = files / "twinfold.dat";
  SettingsStore settings;
  settings.SetDefaults({settingsFile, files / "unused"});
  settings.SetBackupFolder(folder);
  ASSERT_EQ(settings.Save(), 1);
  ASSERT_EQ(run({"list", "--settings", settingsFile}), 0) << errors;
  EXPECT_NE(output.find("\ta.txt\t/x/\t-\t-\t-\t-\n"), std::string::npos) << output;
}

// Eight "backup add" processes let loose at once on one folder.
TEST_F(BackupCliTest, RunsAtTheSameTimeClaimNumbersOfTheirOwn) {
  constexpr int kRuns = 8;
  for (bool zip : {true, false}) {
    TempTree folder;
    std::vector<std::string> sources;
    for (int i = 0; i < kRuns; ++i) {
      const std::string dir = files / ((zip ? "zip-" : "plain-") + std::to_string(i));
      std::filesystem::create_directory(dir);
      WriteFile(dir + "/report.txt", "copy " + std::to_string(i) + std::string(i * 4096, '.'));
      sources.push_back(dir + "/report.txt");
    }
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    std::vector<pid_t> children;
    for (int i = 0; i < kRuns; ++i) {
      const pid_t pid = ::fork();
      ASSERT_GE(pid, 0);
      if (pid == 0) {
        ::close(gate[1]);
        char c;
        while (::read(gate[0], &c, 1) > 0) {
        }  // the parent closing the gate starts every run at once
        const int status =
            run({"add", "--keep", sources[i], "--folder", folder.path()}, nullptr, zip);
        WriteFile(sources[i] + ".out", output + errors);
        ::_exit(status);
      }
      children.push_back(pid);
    }
    ::close(gate[0]);
    ::close(gate[1]);
    std::set<std::string> storedAs;
    for (int i = 0; i < kRuns; ++i) {
      int status = 0;
      ::waitpid(children[i], &status, 0);
      const std::string said = ReadFile(sources[i] + ".out");
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << said;
      const std::string prefix = "stored " + sources[i] + " as ";
      ASSERT_EQ(said.substr(0, prefix.size()), prefix) << said;
      storedAs.insert(said.substr(prefix.size()));
    }
    EXPECT_EQ(storedAs.size(), static_cast<size_t>(kRuns));

    testing::ScriptedQuestions questions;
    ZipPlugin plugin(testing::WithPlugin());
    plugin.Probe();
    BackupStore store(questions, &plugin);
    ASSERT_EQ(store.SetFolder(folder.path()), 1);
    std::set<int64_t> numbers;
    for (DataNode* e = store.Entries(true)->FirstChild(); e; e = e->Next()) {
      EXPECT_EQ(IsCompressedEntry(e), zip);
      numbers.insert(StoredNumberOf(FileNameOf(e->Name())));
      TempTree copy;
      ASSERT_EQ(store.CopyEntryTo(e, copy.path()), 1);
      ASSERT_TRUE(store.LastActionDone()) << store.LastProblem();
      const std::string origin = e->attrs.ValueOf("location").FullText() + "report.txt";
      EXPECT_EQ(ReadFile(copy / NamesIn(copy.path()).front()), ReadFile(origin)) << e->Name();
    }
    EXPECT_EQ(numbers.size(), static_cast<size_t>(kRuns));
  }
}

// A real twinfold-cli, killed with SIGKILL after `killAfterUs` (never, when negative);
// returns its exit status, or -1 when it was killed. Its output goes to `log`.
int runCli(const std::string& cli, std::vector<std::string> args, const std::string& log,
           long killAfterUs = -1) {
  args.insert(args.begin(), {cli, "backup"});
  const pid_t pid = testing::StartProgram(args, {log, log});
  if (killAfterUs >= 0) {
    ::usleep(static_cast<useconds_t>(killAfterUs));
    ::kill(pid, SIGKILL);
  }
  return testing::WaitProgram(pid);
}

// Adds and restores killed at random moments, packed (the plug-in beside the program) and
// plain (a copy of the program without it): nothing half-made is listed, and the next add
// and restore by name find exactly one entry.
TEST(BackupKilled, KilledAddsAndRestoresLeaveNothingListed) {
  testing::PrivateTrashFiles();
  TempTree files, bin, tmp, backup;
  std::filesystem::copy_file(TWINFOLD_CLI, bin / "twinfold-cli");
  const char* savedTmp = std::getenv("TMPDIR");
  const std::string restoreTmp = savedTmp ? savedTmp : "";
  ::setenv("TMPDIR", tmp.path().c_str(), 1);
  const std::string noise = testing::RandomBytes(6 << 20, 11);
  std::mt19937 random(20261207);
  const std::string log = files / "log";
  int trial = 0;
  for (const std::string& cli : {std::string(TWINFOLD_CLI), bin / "twinfold-cli"})
    for (int round = 0; round < 5; ++round, ++trial) {
      const std::string name = "f" + std::to_string(trial) + ".bin", path = files / name;
      WriteFile(path, noise);
      const std::vector<std::string> add = {"add", "--keep", "--folder", backup.path(), path};
      const std::vector<std::string> restore = {"restore", "--folder", backup.path(), name};
      const std::vector<std::string> list = {"list", "--folder", backup.path()};
      // Whether `name` is listed; every line must be the header or a whole entry.
      auto listed = [&] {
        EXPECT_EQ(runCli(cli, list, log), 0) << ReadFile(log);
        std::istringstream lines(ReadFile(log));
        std::string line;
        std::getline(lines, line);
        bool found = false;
        while (std::getline(lines, line)) {
          EXPECT_NE(line.find("\t" + files.path() + "/\t"), std::string::npos) << line;
          EXPECT_GT(std::atoi(line.c_str()), 0) << line;
          found = found || line.find("\t" + name + "\t") != std::string::npos;
        }
        return found;
      };
      auto randomMoment = [&] { return std::uniform_int_distribution<long>(0, 60000)(random); };
      runCli(cli, add, log, randomMoment());
      if (!listed()) {
        ASSERT_EQ(runCli(cli, add, log), 0) << ReadFile(log);
      }
      ::unlink(path.c_str());
      runCli(cli, restore, log, randomMoment());
      if (listed()) {
        ::unlink(path.c_str());  // killed after its copy was back
        EXPECT_EQ(runCli(cli, restore, log), 0) << trial << ": " << ReadFile(log);
      }
      EXPECT_EQ(ReadFile(path), noise) << trial;
    }
  // One more run of each kind tidies what the last killed ones left.
  const std::string path = files / "last.bin";
  WriteFile(path, "last");
  EXPECT_EQ(runCli(TWINFOLD_CLI, {"add", "--folder", backup.path(), path}, log), 0);
  EXPECT_EQ(runCli(TWINFOLD_CLI, {"restore", "--folder", backup.path(), "last.bin"}, log), 0)
      << ReadFile(log);
  EXPECT_TRUE(NamesIn(backup.path()).empty());
  EXPECT_TRUE(NamesIn(tmp.path()).empty());
  for (const std::string& left : NamesIn(files.path()))
    EXPECT_TRUE(left.rfind("f", 0) == 0 || left == "log" || left == "last.bin") << left;
  savedTmp ? ::setenv("TMPDIR", restoreTmp.c_str(), 1) : ::unsetenv("TMPDIR");
}

// README's backup lines, run as written. The delete line needs the add line run again.
TEST(BackupReadme, ExamplesRunAsWritten) {
  std::vector<std::string> lines;
  const std::string readme = ReadFile(TWINFOLD_README);
  for (size_t at = 0; (at = readme.find("\ntwinfold-cli backup ", at)) != std::string::npos;) {
    const size_t end = readme.find('\n', at + 1);
    lines.push_back(readme.substr(at + 1, end - at - 1));
    at = end;
  }
  ASSERT_EQ(lines.size(), 4u);
  TempTree scratch, home;
  std::filesystem::create_directory(scratch / "old");
  const std::string cli = TWINFOLD_CLI;
  const std::string shell = "cd '" + scratch.path() + "' && export XDG_DATA_HOME='" +
                            home / "data" + "' XDG_CONFIG_HOME='" + home / "config" +
                            "' XDG_CACHE_HOME='" + home / "cache" + "' PATH='" +
                            cli.substr(0, cli.rfind('/')) + ":/usr/bin:/bin' && { ";
  auto runLine = [&](const std::string& line) {
    const std::string log = home / "log";
    const int status = std::system((shell + line + "\n} > '" + log + "' 2>&1").c_str());
    return std::make_pair(status, ReadFile(log));
  };
  WriteFile(scratch / "old/report.txt", "the report");
  for (const std::string& line : lines) {
    if (line.find(" delete ") != std::string::npos) {
      WriteFile(scratch / "old/report.txt", "the report");
      ASSERT_EQ(runLine(lines.front()).first, 0);
    }
    const auto [status, said] = runLine(line);
    EXPECT_EQ(status, 0) << line << "\n" << said;
    if (line.find(" list ") != std::string::npos) {  // the case the examples must cover
      EXPECT_NE(said.find("\"stored\":\"1.report.txt.zipp\""), std::string::npos) << said;
    }
    if (line.find(" restore ") != std::string::npos) {
      EXPECT_EQ(ReadFile(scratch / "old/report.txt"), "the report");
    }
  }
  EXPECT_TRUE(NamesIn(home / "data/twinfold/Backup").empty());
  EXPECT_FALSE(std::filesystem::exists(scratch / "old/report.txt"));  // in the trash
}

// An empty line takes the default button only where there is one; end of input is Cancel.

TEST(TerminalQuestions, AnswersFitTheButtonsAndNamesCannotEscape) {
  std::FILE* in = std::tmpfile();
  std::FILE* out = std::tmpfile();
  std::fputs("maybe\nc\nN\n\n\n\ny\n", in);
  std::rewind(in);
  TerminalQuestions person(in, out, true);
  EXPECT_EQ(person.ShowMessage("Replace?", "Replace file ?", MB_YESNO), IDNO);  // no Cancel
  EXPECT_EQ(person.ShowMessage("Delete all?", "Delete", MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(person.ShowMessage("Replace?", nullptr, MB_YESNO), IDYES);
  EXPECT_EQ(person.ShowMessage("Again?", nullptr, MB_YESNOCANCEL), IDCANCEL);  // input ended
  EXPECT_EQ(person.ShowMessage("", "Note", MB_YESNO), 0);

  std::FILE* shown = std::tmpfile();
  TerminalQuestions nobody(stdin, shown, false);
  nobody.ShowMessage("Delete\n /tmp/a\x1b]0;owned\x07\rb\x9b.txt\t?", "Delete", MB_YESNO);
  const std::string text = testing::ReadAndClose(shown);
  EXPECT_EQ(text.find_first_of("\x1b\x07\r\x9b"), std::string::npos) << text;
  EXPECT_NE(text.find("Delete\n /tmp/a"), std::string::npos) << text;  // its own line break
  std::fclose(in);
  std::fclose(out);
}

}  // namespace
}  // namespace tf
