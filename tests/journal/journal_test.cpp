// The action journal on real files and the real trash: its records, its refusals, two
// writers at once, its bounds, and undos that find files moved, replaced or never reached
// (every kind of action is undone through the window in its own test).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_ops.h"
#include "platform/path_status.h"
#include "platform/trash.h"
#include "results/action_journal.h"
#include "results/journal_undo.h"
#include "tests/backup/backup_test_support.h"
#include "tests/support/read_only_mount.h"
#include "tests/support/scripted_questions.h"

namespace tf {
namespace {

using namespace testing;

class JournalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::PrivateTrashFiles();
    InstallActionJournal(&journal);
  }
  void TearDown() override { InstallActionJournal(nullptr); }

  std::vector<JournalAction> load() {
    std::vector<JournalAction> actions;
    std::string why;
    EXPECT_TRUE(LoadJournal(journal.Path(), &actions, &why)) << why;
    return actions;
  }
  // Undoes the newest action; the report.
  UndoReport undoNewest(bool expectKept = false) {
    const std::vector<JournalAction> actions = load();
    const JournalAction* action = NewestUndoable(actions);
    UndoReport report;
    EXPECT_NE(action, nullptr);
    if (!action) return report;
    std::string why;
    EXPECT_TRUE(UndoAction(*action, journal, false, &report, &why)) << why;
    EXPECT_EQ(!report.kept.empty(), expectKept)
        << (report.kept.empty() ? "" : report.kept[0] + ": " + report.kept[1]);
    return report;
  }

  // a.txt, b.txt and c.txt, each holding its name.
  std::vector<std::string> threeFiles() {
    std::vector<std::string> files;
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
      files.push_back(dir / name);
      WriteFile(files.back(), name);
    }
    return files;
  }

  TempTree dir, state;
  ActionJournal journal{state / "twinfold/journal"};
  testing::ScriptedQuestions questions;
};

// A file of a delete, sent to the trash.
JournalRecord deleteRecord(const std::string& action, int64_t time, const std::string& path) {
  JournalRecord r;
  r.action = action;
  r.time = time;
  r.kind = kActDelete;
  r.op = "trash";
  r.state = "done";
  r.path = path;
  return r;
}

TEST(JournalRecordTest, ReadsBackWhatItWritesAndSkipsDamage) {
  JournalRecord r = deleteRecord("1-ab", 1765000000, "/home/a/odd \"name\"\n\xff\xfe.txt");
  r.index = 7;  // the path is not UTF-8, with a line break
  r.to = "/home/a/.local/share/Trash/files/odd";
  r.size = 12;
  r.modified = 133000000000000000;
  const std::string line = FormatJournalRecord(r);
  ASSERT_EQ(line.find('\n'), line.size() - 1);  // one line, whatever the name holds
  JournalRecord back;
  ASSERT_TRUE(ParseJournalRecord(std::string_view(line).substr(0, line.size() - 1), &back));
  EXPECT_EQ(back.path, r.path);
  EXPECT_EQ(back.to, r.to);
  EXPECT_EQ(back.modified, r.modified);
  EXPECT_EQ(back.index, 7);
  for (const std::string& damaged : {line.substr(0, line.size() / 2), std::string("garbage"),
                                     std::string("{}"), std::string(line).replace(1, 5, "\"v\":2"),
                                     std::string(line).replace(line.find("trash"), 5, "burnt")})
    EXPECT_FALSE(ParseJournalRecord(damaged, &back)) << damaged;
}

// A journal that cannot be a journal stops the action, saying why; nothing moves.
TEST_F(JournalTest, RefusesAPathThatIsNoWritableFile) {
  const std::string path = journal.Path();
  std::filesystem::create_directories(state / "twinfold");
  struct Case {
    const char* name;
    std::function<void()> make;
    const char* says;
  };
  std::unique_ptr<testing::ReadOnlyTmpfs> readOnly;
  const std::vector<Case> cases = {
      {"FIFO", [&] { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); }, "not a regular file"},
      {"folder", [&] { std::filesystem::create_directory(path); }, "a folder"},
      {"link", [&] { std::filesystem::create_symlink(dir / "elsewhere", path); }, "symbolic link"},
      // On a file system mounted read-only: root, who writes past any permission, too.
      {"read-only",
       [&] {
         readOnly = std::make_unique<testing::ReadOnlyTmpfs>(state / "twinfold",
                                                             [&] { WriteFile(path, ""); });
         EXPECT_TRUE(readOnly->Ok()) << readOnly->Why();
       },
       "Read-only file system"},
  };
  const std::string file = dir / "keep.txt";
  WriteFile(file, "keep");
  for (const Case& c : cases) {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
    c.make();
    JournalScope scope(kActDelete);
    EXPECT_FALSE(scope.Ok()) << c.name;
    EXPECT_NE(scope.Why().find(c.says), std::string::npos) << c.name << ": " << scope.Why();
    EXPECT_NE(scope.Why().find(path), std::string::npos) << scope.Why();
    EXPECT_EQ(ReadFile(file), "keep");
  }
}

// Two programs appending at once lose and mix no record.
TEST_F(JournalTest, TwoWritersAtOnce) {
  constexpr int kRecords = 400;
  std::vector<pid_t> children;
  for (int writer = 0; writer < 2; ++writer) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ActionJournal own(journal.Path());
      std::string why;
      if (!own.Begin(kActCopy, &why)) _exit(3);
      for (int i = 0; i < kRecords; ++i) {
        const std::string from =
            "/w" + std::to_string(writer) + "/" + std::string(200, 'x') + std::to_string(i);
        if (!own.Before(FileChange::kCopy, from, from + ".copy", &why)) _exit(4);
        own.After(FileChange::kCopy, from, from + ".copy", true);
      }
      _exit(0);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  const std::vector<JournalAction> actions = load();
  ASSERT_EQ(actions.size(), 2u);
  for (const JournalAction& action : actions) {
    ASSERT_EQ(action.files.size(), size_t{kRecords});
    for (const JournalEntry& e : action.files) EXPECT_EQ(e.state, "done") << e.path;
  }
  // Every line is a whole record.
  std::ifstream in(journal.Path());
  size_t lines = 0;
  JournalRecord r;
  for (std::string line; std::getline(in, line); ++lines) ASSERT_TRUE(ParseJournalRecord(line, &r));
  EXPECT_EQ(lines, size_t{4 * kRecords});
}

// 100 MB of damaged lines are skipped by readers and dropped by the compaction the next
// action starts with; the actions among them stay.
TEST_F(JournalTest, DamagedLinesAreSkippedAndCompactedAway) {
  std::filesystem::create_directories(state / "twinfold");
  {
    std::ofstream out(journal.Path(), std::ios::binary);
    const std::string junk = std::string(999, '\x9c') + "\n" + std::string(200000, '{');
    for (int i = 0; i <= 100 * 1024 * 1024 / 201000; ++i) out << junk << '\n';
  }
  ASSERT_GT(std::filesystem::file_size(journal.Path()), 100u << 20);
  const std::string file = dir / "a.txt";
  WriteFile(file, "a");
  {
    JournalScope scope(kActDelete);
    ASSERT_TRUE(scope.Ok()) << scope.Why();
    ASSERT_TRUE(MoveToTrash(file));
  }
  EXPECT_LT(std::filesystem::file_size(journal.Path()), 4096u);
  std::vector<JournalAction> actions = load();
  ASSERT_EQ(actions.size(), 1u);
  EXPECT_EQ(ActionLabel(actions[0]), "Delete of 1 file");
  undoNewest();
  EXPECT_EQ(ReadFile(file), "a");
}

TEST_F(JournalTest, CompactionKeepsTheNewestActionsOfTheLastNinetyDays) {
  std::filesystem::create_directories(state / "twinfold");
  const int64_t now = 2000000000;
  std::string text;
  for (int i = 0; i < 10010; ++i)  // the first five are old
    text += FormatJournalRecord(deleteRecord("a" + std::to_string(i),
                                             i < 5 ? now - 91 * 24 * 3600 : now - 10010 + i,
                                             "/f" + std::to_string(i)));
  WriteFile(journal.Path(), text + "damaged\n");
  std::string why;
  ASSERT_TRUE(journal.Compact(now, &why)) << why;
  const std::vector<JournalAction> actions = load();
  ASSERT_EQ(actions.size(), kJournalActions);
  EXPECT_EQ(actions.front().id, "a10");
  EXPECT_EQ(actions.back().id, "a10009");
}

// Each kind of action is taken back in the window's undo test; a move that replaced a
// file at its target (answered Yes) brings both back.
TEST_F(JournalTest, AMoveOverAnotherFileBringsBothBack) {
  const std::string c = dir / "c.txt";
  std::filesystem::create_directories(dir / "to");
  WriteFile(c, "gamma");
  WriteFile(dir / "to/c.txt", "older c");
  questions.answers = {IDYES};
  {
    JournalScope scope(kActMove);
    ASSERT_TRUE(scope.Ok()) << scope.Why();
    ASSERT_TRUE(ShellFileOp(&questions, FO_MOVE, c, dir / "to/c.txt", true));
  }
  ASSERT_EQ(ReadFile(dir / "to/c.txt"), "gamma");
  undoNewest();
  EXPECT_EQ(ReadFile(c), "gamma");
  EXPECT_EQ(ReadFile(dir / "to/c.txt"), "older c");
  EXPECT_EQ(ActionStateText(load().back()), "undone");
}

// Never over another file: a taken place and a replaced trash item are named and stay;
// the rest of the action comes back.
TEST_F(JournalTest, LeavesTakenPlacesAndReplacedTrashItems) {
  const std::string a = dir / "a.txt", b = dir / "b.txt", c = dir / "c.txt";
  WriteFile(a, "alpha");
  WriteFile(b, "beta");
  WriteFile(c, "gamma");
  std::string itemOfB;
  {
    JournalScope scope(kActDelete);
    ASSERT_TRUE(MoveToTrash(a) && MoveToTrash(b, &itemOfB) && MoveToTrash(c));
  }
  WriteFile(a, "a newer file");
  // Another file of the same name in the trash's place of b.
  std::filesystem::remove(itemOfB);
  WriteFile(itemOfB, "not b at all");
  const UndoReport report = undoNewest(true);
  ASSERT_EQ(report.kept.size(), 4u);
  EXPECT_EQ(report.kept[0], b);
  EXPECT_NE(report.kept[1].find("replaced"), std::string::npos) << report.kept[1];
  EXPECT_EQ(report.kept[2], a);
  EXPECT_NE(report.kept[3].find("taken"), std::string::npos) << report.kept[3];
  EXPECT_EQ(ReadFile(a), "a newer file");
  EXPECT_EQ(ReadFile(c), "gamma");
  EXPECT_FALSE(testing::Exists(b));
  EXPECT_EQ(ActionStateText(load().back()), "partly undone");
}

// An undo stopped part way (Cancel) leaves the rest where it is; the next one finishes.
TEST_F(JournalTest, CancelledUndoLeavesTheRestForTheNext) {
  const std::vector<std::string> files = threeFiles();
  {
    JournalScope scope(kActDelete);
    for (const std::string& file : files) ASSERT_TRUE(MoveToTrash(file));
  }
  UndoReport report;
  std::string why;
  ASSERT_TRUE(UndoAction(*NewestUndoable(load()), journal, false, &report, &why,
                         [](size_t handled, size_t) { return handled < 1; }));
  EXPECT_TRUE(report.cancelled);
  EXPECT_EQ(report.restored, std::vector<std::string>{files[2]});
  EXPECT_FALSE(testing::Exists(files[0]));
  EXPECT_EQ(ActionStateText(load().back()), "partly undone");
  undoNewest();
  for (const std::string& file : files) EXPECT_TRUE(testing::Exists(file)) << file;
}

// A bulk action announces its files in one piece: the ones it reaches come back on undo,
// the ones it never reached (the user stopped it) stay where they are and are not counted.
TEST_F(JournalTest, AnnouncedFilesNeverReachedAreNotTakenBack) {
  const std::vector<std::string> files = threeFiles();
  {
    JournalScope scope(kActDelete);
    std::vector<AnnouncedFile> announced;
    for (const std::string& file : files) {
      PathStatus seen;
      ASSERT_TRUE(StatPath(file, &seen, false));
      announced.push_back({file, seen.size, seen.modified});
    }
    ASSERT_TRUE(scope.Announce(FileChange::kTrash, announced));
    ASSERT_TRUE(MoveToTrash(files[1]));
  }
  const std::vector<JournalAction> actions = load();
  ASSERT_EQ(actions.size(), 1u);
  EXPECT_EQ(ActionLabel(actions[0]), "Delete of 1 file");
  const UndoReport report = undoNewest();
  EXPECT_EQ(report.restored, std::vector<std::string>{files[1]});
  for (const std::string& file : files) EXPECT_TRUE(testing::Exists(file)) << file;
  EXPECT_EQ(NewestUndoable(load()), nullptr);
}

// A record that was begun and never heard to end (the program was killed): the file is
// looked for in its place and in the trash.
TEST_F(JournalTest, IntentWithoutEndIsLookedForAtBothEnds) {
  const std::string a = dir / "a.txt", b = dir / "b.txt";
  WriteFile(a, "alpha");
  WriteFile(b, "beta");
  std::string why;
  ASSERT_TRUE(journal.Begin(kActDelete, &why)) << why;
  ASSERT_TRUE(journal.Before(FileChange::kTrash, a, "", &why));
  ASSERT_TRUE(journal.Before(FileChange::kTrash, b, "", &why));
  journal.End();
  InstallActionJournal(nullptr);
  ASSERT_TRUE(MoveToTrash(a));  // a left, unheard; b never did
  InstallActionJournal(&journal);
  const UndoReport report = undoNewest();
  EXPECT_EQ(report.restored, std::vector<std::string>{a});
  EXPECT_EQ(ReadFile(a), "alpha");
  EXPECT_EQ(ReadFile(b), "beta");
  EXPECT_EQ(NewestUndoable(load()), nullptr);
}

}  // namespace
}  // namespace tf
