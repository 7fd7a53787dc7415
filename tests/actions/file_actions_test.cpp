#include "results/file_actions.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>

#include "duplicates/run_result.h"
#include "platform/file_ops.h"
#include "platform/file_time.h"
#include "platform/path_status.h"
#include "platform/process_launcher.h"
#include "tests/support/private_trash.h"
#include "tests/support/scripted_questions.h"
#include "tests/support/temp_tree.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using testing::ScriptedQuestions;

// The desktop cannot be started here: opening and browsing are recorded instead. Trash,
// move and copy are the real ones.
class RecordingShell : public PlatformFileShell {
 public:
  using PlatformFileShell::PlatformFileShell;
  bool OpenFile(const std::string& path, const std::string& folder) override {
    calls.push_back("open " + path + " in " + folder);
    return true;
  }
  bool ShowFolder(const std::string& path, const std::string& folder, bool explore) override {
    calls.push_back((explore ? "explore " : "open folder ") + folder + " for " + path);
    return true;
  }
  std::vector<std::string> calls;
};

class FileActionsTest : public ::testing::Test {
 protected:
  std::string makeFile(const std::string& relative, const std::string& bytes) {
    const std::string path = m_dir + "/" + relative;
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  // Groups the files by name, as a finished search would show them.
  void groupFiles(const std::vector<std::string>& paths) {
    DuplicateCriteria settings;
    settings.sameTime = settings.sameSize = false;
    auto index = std::make_unique<DuplicateIndex>();
    index->Configure(settings);
    for (const std::string& path : paths) {
      fs::path p(path);
      PathStatus found;
      StatPath(path, &found, false);
      index->AddFile(p.parent_path().string() + "/", p.filename().string(), found.size,
                     found.modified);
    }
    m_result.Merge(index);
    m_result.Finalise(settings, {});
  }

  DataNode* groupNamed(const std::string& key) { return FindChild(m_result.Root(), key.c_str()); }

  static std::string bytes(const std::string& path) { return testing::ReadFile(path); }

  std::vector<std::string> trashedNames() {
    std::set<std::string> names;
    const fs::path files = m_trash + "files";
    if (fs::exists(files))
      for (const auto& entry : fs::directory_iterator(files)) names.insert(entry.path().filename());
    return {names.begin(), names.end()};
  }

  FileActionHooks hooks() {
    FileActionHooks h;
    h.removeFile = [this](DataNode* file) { return m_result.RemoveFile(file, true); };
    h.isLinkTarget = [this](const std::string& path) { return m_linkTargets.count(path) > 0; };
    h.resultsChanged = [this](int answer, const std::string& group) {
      m_changes.push_back(std::to_string(answer) + ":" + group);
    };
    h.rebuildView = [this] { ++m_rebuilds; };
    h.browseMode = [this] { return m_browseMode; };
    return h;
  }

  // The trash of the test's own data folder, set before any file is trashed.
  const std::string m_trash = testing::PrivateTrashHome() + "/Trash/";
  testing::TempTree m_tree;
  const std::string m_dir = m_tree.root();
  RunResult m_result;
  std::set<std::string> m_linkTargets;
  std::vector<std::string> m_changes;
  int m_rebuilds = 0;
  int m_browseMode = 0;
  ScriptedQuestions questions;
  RecordingShell shell{questions};
  FileActions actions{questions, shell, hooks()};
};

// No takes the first file, Cancel none.
TEST_F(FileActionsTest, OpenAndBrowseAskBeforeTakingEveryFile) {
  const std::string a = makeFile("one/a.txt", "1"), b = makeFile("two/a.txt", "2");
  Selection selection{{a, b}, nullptr, nullptr, ResultView::kUnified, -1};
  questions.answers = {IDCANCEL, IDYES};
  EXPECT_EQ(actions.OpenSelected(selection), 1);
  EXPECT_TRUE(shell.calls.empty());
  EXPECT_EQ(actions.OpenSelected(selection), 1);
  EXPECT_EQ(shell.calls, (std::vector<std::string>{"open " + a + " in " + m_dir + "/one",
                                                   "open " + b + " in " + m_dir + "/two"}));
  shell.calls.clear();
  selection.paths = {a, m_dir + "/gone/x.txt"};
  m_browseMode = 1;
  questions.answers = {IDYES};
  EXPECT_EQ(actions.BrowseSelected(selection), 1);
  EXPECT_EQ(shell.calls, (std::vector<std::string>{"explore " + m_dir + "/one for " + a}));
  selection.paths.clear();
  EXPECT_EQ(actions.BrowseSelected(selection), 0);

  // The real desktop shell with no opener on PATH.
  const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", (m_dir + "/empty-bin").c_str(), 1);
  PlatformFileShell desktop(questions);
  FileActions plain(questions, desktop, hooks());
  selection.paths = {a, b};
  questions.asked.clear();
  questions.answers = {IDYES, IDOK, IDYES, IDOK};
  EXPECT_EQ(plain.OpenSelected(selection), 1);
  EXPECT_EQ(plain.BrowseSelected(selection), 1);
  setenv("PATH", savedPath.c_str(), 1);
  ASSERT_EQ(questions.asked.size(), 4u);
  EXPECT_NE(questions.asked[1].text.find(a), std::string::npos);
  EXPECT_NE(questions.asked[1].text.find("xdg-open"), std::string::npos);
  EXPECT_NE(questions.asked[3].text.find(m_dir + "/one"), std::string::npos);
}

TEST_F(FileActionsTest, ALinkTargetIsAskedAboutOnItsOwnAndTheLastCopiesFirst) {
  const std::string a = makeFile("x/k.txt", "k"), b = makeFile("y/k.txt", "k"),
                    c = makeFile("z/k.txt", "k"), d = makeFile("w/k.txt", "k");
  groupFiles({a, b, c, d});
  m_linkTargets = {a};
  DataNode* group = groupNamed("k.txt");
  ASSERT_NE(group, nullptr);
  Selection selection{{a, b, c}, m_result.Root(), group, ResultView::kSeparate, -1};
  questions.answers = {IDNO};
  EXPECT_EQ(actions.DeleteSelected(selection, false), 1);
  EXPECT_TRUE(fs::exists(a) && fs::exists(b) && fs::exists(c));

  questions.answers = {IDYES, IDNO};
  EXPECT_EQ(actions.DeleteSelected(selection, false), 1);
  ASSERT_EQ(questions.asked.size(), 3u);
  EXPECT_NE(questions.asked[1].text.find(" 3 files"), std::string::npos);
  EXPECT_EQ(questions.asked[2].text.rfind(a + "\n", 0), 0u);
  EXPECT_TRUE(fs::exists(a));
  EXPECT_FALSE(fs::exists(b) || fs::exists(c));
  EXPECT_EQ(group->val2, 2);
  EXPECT_EQ(group->val, 2);
  EXPECT_EQ(m_rebuilds, 2);

  // The unified view is not rebuilt: it heard of each delete once.
  selection = {{a, d}, m_result.Root(), nullptr, ResultView::kUnified, -1};
  questions.answers = {IDYES, IDYES, IDYES};
  EXPECT_EQ(actions.DeleteSelected(selection, false), 1);
  ASSERT_EQ(questions.asked.size(), 6u);
  EXPECT_EQ(questions.asked[3].caption, kLastCopyCaption);
  EXPECT_FALSE(fs::exists(a) || fs::exists(d));
  EXPECT_EQ(m_changes, (std::vector<std::string>{"1:k.txt", "2:k.txt"}));
  EXPECT_EQ(m_result.Root()->FirstChild(), nullptr);
  EXPECT_EQ(m_rebuilds, 2);
}

TEST_F(FileActionsTest, DeleteAfterBackupAsksNothingAndNeedsAGroupInTheSeparateView) {
  const std::string a = makeFile("p/two.txt", "22"), b = makeFile("q/two.txt", "22");
  const std::string gone = makeFile("p/gone.txt", "22");
  groupFiles({a, b, gone, makeFile("q/gone.txt", "22")});
  Selection selection{{a}, m_result.Root(), nullptr, ResultView::kSeparate, -1};
  EXPECT_EQ(actions.DeleteSelected(selection, true), 0);  // no group selected
  EXPECT_EQ(actions.MoveOrCopySelected(selection, true), 0);
  EXPECT_TRUE(fs::exists(a));

  fs::remove(gone);
  selection = {{gone}, m_result.Root(), groupNamed("gone.txt"), ResultView::kSeparate, -1};
  EXPECT_EQ(actions.DeleteSelected(selection, true), 1);
  EXPECT_NE(groupNamed("gone.txt"), nullptr);
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_EQ(questions.asked[0].caption, kChangedCaption);

  selection = {{a}, m_result.Root(), groupNamed("two.txt"), ResultView::kSeparate, -1};
  EXPECT_EQ(actions.DeleteSelected(selection, true), 1);
  EXPECT_EQ(questions.asked.size(), 1u);
  EXPECT_FALSE(fs::exists(a));
  EXPECT_TRUE(fs::exists(b));
  EXPECT_EQ(groupNamed("two.txt"), nullptr);
  EXPECT_EQ(m_changes, (std::vector<std::string>{"2:two.txt"}));
}

TEST_F(FileActionsTest, MoveTakesOneFileAndUpdatesTheResults) {
  const std::string name = "mv <\"odd\">.txt";
  const std::string a = makeFile("m1/" + name, "abc"), b = makeFile("m2/" + name, "abc"),
                    c = makeFile("m3/" + name, "abc");
  const std::string target = m_dir + "/target";
  fs::create_directories(target);
  groupFiles({a, b, c});
  DataNode* group = groupNamed(name);
  ASSERT_NE(group, nullptr);
  Selection selection{{a, b}, m_result.Root(), group, ResultView::kSeparate, -1};
  EXPECT_EQ(actions.MoveOrCopySelected(selection, true), 0);  // one file at a time

  selection.paths = {a};
  m_linkTargets = {a};
  questions.answers = {IDNO, IDYES};
  questions.folders = {""};
  EXPECT_EQ(actions.MoveOrCopySelected(selection, true), 0);
  EXPECT_EQ(actions.MoveOrCopySelected(selection, true), 0);
  EXPECT_EQ(questions.prompts.size(), 1u);
  EXPECT_TRUE(fs::exists(a));

  questions.answers = {IDYES};
  questions.folders = {target};
  EXPECT_EQ(actions.MoveOrCopySelected(selection, true), 1);
  EXPECT_FALSE(fs::exists(a));
  EXPECT_EQ(bytes(target + "/" + name), "abc");
  EXPECT_EQ(group->val2, 2);  // the group stays, selected, with two files
  EXPECT_EQ(selection.group, group);
  EXPECT_EQ(m_changes, (std::vector<std::string>{"1:" + name}));
}

TEST_F(FileActionsTest, ATakenNameIsReplacedOnlyWhenAskedAndGoesToTheTrash) {
  const std::string a = makeFile("r1/keep.txt", "new"), b = makeFile("r2/keep.txt", "newer");
  const std::string dest = makeFile("dest/keep.txt", "old copy");
  const std::string trash = m_trash + "files/";
  groupFiles({a, b});
  auto copy = [&](const std::string& path, const std::string& folder, int answer = IDYES,
                  bool move = false) {
    Selection selection{{path}, m_result.Root(), nullptr, ResultView::kUnified, -1};
    questions.folders = {m_dir + folder};
    questions.answers = {answer};
    return actions.MoveOrCopySelected(selection, move);
  };
  EXPECT_EQ(copy(a, "/dest/", IDNO), 0);  // No keeps both
  EXPECT_EQ(bytes(dest), "old copy");
  EXPECT_EQ(copy(a, "/r1"), 0);  // into its own folder
  EXPECT_EQ(bytes(a), "new");
  EXPECT_EQ(copy(a, "/dest"), 1);
  EXPECT_EQ(bytes(dest), "new");
  EXPECT_EQ(bytes(a), "new");
  EXPECT_EQ(bytes(trash + "keep.txt"), "old copy");
  EXPECT_NE(groupNamed("keep.txt"), nullptr);
  EXPECT_TRUE(m_changes.empty());

  EXPECT_EQ(copy(b, "/dest", IDYES, true), 1);
  EXPECT_FALSE(fs::exists(b));
  EXPECT_EQ(bytes(dest), "newer");
  EXPECT_EQ(bytes(trash + "keep.2.txt"), "new");  // the first copy, kept apart

  const std::vector<std::string> before = trashedNames();
  TEST_FailCopyAfterBytes(0);
  EXPECT_EQ(copy(a, "/dest"), 0);
  TEST_FailCopyAfterBytes(-1);
  EXPECT_EQ(bytes(dest), "newer");
  EXPECT_EQ(trashedNames(), before);
  EXPECT_FALSE(fs::exists(m_trash + "info/keep.3.txt.trashinfo"));

  // Too long for the trash's record: cannot be trashed, so it is not replaced.
  const std::string longName = std::string(250, 'n');
  const std::string source = makeFile("l1/" + longName, "new");
  const std::string taken = makeFile("dest/" + longName, "old");
  EXPECT_EQ(copy(source, "/dest", IDYES, true), 0);
  EXPECT_EQ(bytes(taken), "old");
  EXPECT_EQ(bytes(source), "new");
  EXPECT_EQ(trashedNames(), before);
}

TEST_F(FileActionsTest, RemovalMatchesPathsExactly) {
  const std::string upper = makeFile("r/Case.txt", "1"), lower = makeFile("r/case.txt", "1");
  const std::string other = makeFile("s/Case.txt", "1");
  groupFiles({upper, lower, other});
  Selection selection{{}, m_result.Root(), nullptr, ResultView::kUnified, -1};
  EXPECT_EQ(actions.RemoveFileFromResults(selection, m_dir + "/r/CASE.TXT"), 0);
  EXPECT_EQ(actions.RemoveFileFromResults(selection, lower), 0);  // in no group: unique key
  EXPECT_EQ(actions.RemoveFileFromResults(selection, upper), 2);
}

TEST_F(FileActionsTest, FilesChangedSinceTheSearchAreLeftInTheirGroupAndNamedOnce) {
  std::vector<std::string> files;
  for (const char* folder : {"c1", "c2", "c3", "c4", "c5"})
    files.push_back(makeFile(std::string(folder) + "/ch.txt", "same"));
  groupFiles(files);
  std::ofstream(files[0], std::ios::app) << "grown";  // a new size
  PathStatus was;
  ASSERT_TRUE(StatPath(files[1], &was, false));
  const std::timespec later = TimespecFromFileTime(was.modified + 10'000'000);
  const std::timespec times[2] = {later, later};
  ASSERT_EQ(utimensat(AT_FDCWD, files[1].c_str(), times, 0), 0);  // only a new time
  fs::remove(files[2]);
  Selection selection{{files[0], files[1], files[2], files[3]},
                      m_result.Root(),
                      groupNamed("ch.txt"),
                      ResultView::kSeparate,
                      -1};

  questions.answers = {IDYES, IDOK};
  EXPECT_EQ(actions.DeleteSelected(selection, false), 1);
  EXPECT_FALSE(fs::exists(files[3]));
  EXPECT_TRUE(fs::exists(files[0]) && fs::exists(files[1]));
  ASSERT_EQ(questions.asked.size(), 2u);  // the trash's question, then one message
  for (int i : {0, 1, 2})
    EXPECT_NE(questions.asked[1].text.find("\"" + files[i] + "\""), std::string::npos);
  EXPECT_EQ(questions.asked[1].text.find(files[3]), std::string::npos);
  EXPECT_EQ(groupNamed("ch.txt")->val2, 4);

  // Move checks again after the folder was chosen.
  questions.folders = {m_dir};
  selection.paths = {files[0]};
  EXPECT_EQ(actions.MoveOrCopySelected(selection, true), 0);
  EXPECT_TRUE(fs::exists(files[0]));
  EXPECT_EQ(questions.asked.size(), 3u);
}

TEST_F(FileActionsTest, ADeleteOfManyFilesUpdatesTheResultsOnce) {
  std::vector<std::string> selected;
  std::vector<std::string> all;
  for (int g = 0; g < 60; ++g) {
    const std::string name = "f" + std::to_string(g) + ".txt";
    all.push_back(makeFile("one/" + name, "x"));
    all.push_back(makeFile("two/" + name, "x"));
    selected.push_back(all.back());
  }
  // Every copy of one group goes: its second file must not be touched once the group went.

  selected.push_back(all[0]);
  groupFiles(all);
  FileActionHooks h = hooks();
  std::vector<bool> brackets;
  h.removals = [&](bool begin) { brackets.push_back(begin); };
  FileActions batch(questions, shell, h);
  Selection selection{selected, m_result.Root(), nullptr, ResultView::kUnified, -1};
  const size_t trashedBefore = trashedNames().size();
  questions.answers = {IDYES, IDYES};
  EXPECT_EQ(batch.DeleteSelected(selection, false), 1);
  EXPECT_EQ(brackets, (std::vector<bool>{true, false}));
  EXPECT_EQ(m_changes.size(), 1u);
  EXPECT_EQ(m_result.Root()->FirstChild(), nullptr);
  EXPECT_EQ(trashedNames().size(), trashedBefore + 61);
}

}  // namespace
}  // namespace tf
