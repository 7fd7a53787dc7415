// Replacing a duplicate by a symbolic link to its twin: refusals, and what is left on disk.
#include <gtest/gtest.h>

#include <string>

#include "platform/path_status.h"
#include "results/links_history.h"
#include "results/replace_by_link.h"
#include "results/result_rows.h"
#include "tests/backup/backup_test_support.h"
#include "tests/support/scripted_questions.h"

namespace tf {
namespace {

using namespace testing;

// The dialog's answers, given in advance, under the dialog's own accept rule.
class ScriptedLinkDialog : public ReplaceLinkDialog {
 public:
  explicit ScriptedLinkDialog(Questions& questions) : m_questions(questions) {}
  std::string target;  // empty: Cancel
  std::vector<std::string> shownCandidates;
  int shownPreselected = -2;
  bool Ask(const std::string& file, const std::vector<std::string>& candidates, int preselected,
           std::string* out) override {
    shownCandidates = candidates;
    shownPreselected = preselected;
    if (target.empty() || !AcceptLinkTarget(file, target, m_questions)) return false;
    *out = target;
    return true;
  }

 private:
  Questions& m_questions;
};

// As on a file system where no trash can be made.
class RefusingTrash : public PlatformFileShell {
 public:
  using PlatformFileShell::PlatformFileShell;
  bool Trash(const std::string&, bool) override { return false; }
};

class ReplaceByLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::PrivateTrashFiles();
    results = CreateNode(nullptr, "Duplicate files results", ATTACH_ROOT);
    group = CreateNode(results, "report.doc", ATTACH_LAST_CHILD);
    group->kind = 1;
    // Taken as proven equal, so that the refusals below are not the contents question's.
    group->group = kVerifiedGroup;
    for (const char* folder : {"a", "b", "c"}) {
      std::filesystem::create_directories(dir / folder);
      const std::string path = dir / (std::string(folder) + "/report.doc");
      WriteFile(path, std::string("copy in ") + folder);
      // The size and time the search found, which the action compares before replacing.
      DataNode* file = CreateNode(group, path.c_str(), ATTACH_LAST_CHILD);
      PathStatus found;
      StatPath(path, &found, false);
      file->val = found.size;
      file->val2 = found.modified;
    }
    selection.groupsRoot = results;
    selection.group = group;
  }
  void TearDown() override { DeleteNode(results); }
  std::string path(const char* folder) const { return dir / (std::string(folder) + "/report.doc"); }
  static FileActionHooks droppingHooks() {
    FileActionHooks hooks;
    hooks.removeFile = [](DataNode* file) {
      DeleteNode(file);
      return 1;
    };
    return hooks;
  }
  TempTree dir;
  testing::ScriptedQuestions questions;
  ScriptedLinkDialog dialog{questions};
  PlatformFileShell shell{questions};
  FileActions actions{questions, shell, droppingHooks()};
  LinksHistory history;
  DataNode* results = nullptr;
  DataNode* group = nullptr;
  Selection selection;
};

// Refusals leave file, results and history as they were; a replacement leaves no temporary.
TEST_F(ReplaceByLinkTest, RefusalsChangeNothingAndTheReplacementIsRemembered) {
  auto replace = [&](PlatformFileShell& using_) {
    return ReplaceByLink(selection, history, questions, dialog, using_, actions);
  };
  auto expectUntouched = [&](const std::string& bytes) {
    EXPECT_FALSE(std::filesystem::is_symlink(path("b")));
    EXPECT_EQ(ReadFile(path("b")), bytes);
    EXPECT_EQ(NamesIn(dir / "b"), std::vector<std::string>{"report.doc"});
    EXPECT_EQ(group->FirstChild()->Next()->Name(), path("b"));
    EXPECT_EQ(history.Root(), nullptr);
  };
  selection.paths = {path("a"), path("b")};
  dialog.target = path("a");
  EXPECT_EQ(replace(shell), 0);  // one file at a time
  EXPECT_EQ(questions.asked.size(), 1u);
  // The file itself, directly or through a link that resolves to it, is refused.
  selection.paths = {path("b")};
  dialog.target = path("b");
  EXPECT_EQ(replace(shell), 0);
  std::filesystem::create_symlink(path("b"), dir / "alias");
  dialog.target = dir / "alias";
  EXPECT_EQ(replace(shell), 0);
  EXPECT_EQ(questions.asked.size(), 3u);
  expectUntouched("copy in b");
  RefusingTrash refusing(questions);
  dialog.target = path("a");
  EXPECT_EQ(replace(refusing), 0);
  expectUntouched("copy in b");
  // The user is told which file stayed and why.
  ASSERT_EQ(questions.asked.size(), 4u);
  EXPECT_EQ(questions.asked.back().caption, kNotReplacedCaption);
  EXPECT_NE(questions.asked.back().text.find("cannot be moved to the trash"), std::string::npos);
  // Changed since the search: named and kept.
  WriteFile(path("b"), "rewritten after the search");
  EXPECT_EQ(replace(shell), 0);
  ASSERT_EQ(questions.asked.size(), 5u);
  EXPECT_NE(questions.asked.back().text.find(path("b")), std::string::npos);
  expectUntouched("rewritten after the search");
  // Without a group the unified view finds it; a file named as the temporary link is kept.
  WriteFile(dir / "c/.twinfold-link-1", "mine");
  selection.paths = {path("c")};
  selection.group = nullptr;
  EXPECT_EQ(replace(shell), 0);
  selection.view = ResultView::kUnified;
  ASSERT_EQ(replace(shell), 1);
  EXPECT_EQ(dialog.shownCandidates, (std::vector<std::string>{path("a"), path("b")}));
  EXPECT_EQ(dialog.shownPreselected, -1);
  EXPECT_EQ(std::filesystem::read_symlink(path("c")).string(), path("a"));
  EXPECT_EQ(NamesIn(dir / "c"), (std::vector<std::string>{".twinfold-link-1", "report.doc"}));
  EXPECT_EQ(ReadFile(dir / "c/.twinfold-link-1"), "mine");
  EXPECT_EQ(ReadFile(testing::PrivateTrashFiles() + "/report.doc"), "copy in c");
  EXPECT_NE(history.InLinkHistory(path("a")), nullptr);
  EXPECT_EQ(questions.asked.size(), 5u);
  selection.paths = {path("b")};
  dialog.target.clear();
  EXPECT_EQ(replace(shell), 0);
  EXPECT_EQ(dialog.shownPreselected, 0);
  EXPECT_FALSE(LinkTargetUsable(dir / "missing"));  // a link to nothing loses the file
  EXPECT_FALSE(LinkTargetUsable(dir.path()));
}

// Unless the group was verified, the bytes are compared first; linking files whose bytes
// differ, or cannot be compared, is asked with "No" the default.
TEST_F(ReplaceByLinkTest, DifferentBytesAreAskedAboutFirst) {
  group->group = 0;
  selection.paths = {path("b")};
  dialog.target = path("a");
  questions.answers = {testing::kPressEnter};
  EXPECT_EQ(ReplaceByLink(selection, history, questions, dialog, shell, actions), 0);
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_EQ(questions.asked[0].caption, kDifferentBytesCaption);
  EXPECT_EQ(questions.asked[0].buttonSet, MB_YESNO | MB_DEFBUTTON2);
  EXPECT_EQ(ReadFile(path("b")), "copy in b");
  // A target outside a verified group is compared too.
  group->group = kVerifiedGroup;
  WriteFile(dir / "elsewhere", "copy in a");
  EXPECT_FALSE(AcceptDifferentBytes(group, path("b"), dir / "elsewhere", questions));
  EXPECT_EQ(questions.asked.size(), 2u);
  // The same bytes ask nothing; "Yes" links files that differ.
  group->group = 0;
  WriteFile(path("b"), "copy in a");
  EXPECT_TRUE(AcceptDifferentBytes(group, path("b"), path("a"), questions));
  EXPECT_EQ(questions.asked.size(), 2u);
  questions.answers = {IDYES};
  EXPECT_TRUE(AcceptDifferentBytes(group, path("c"), path("a"), questions));
  EXPECT_EQ(questions.asked.size(), 3u);
  // A file that cannot be read is never taken for equal.
  questions.answers = {testing::kPressEnter};
  EXPECT_FALSE(AcceptDifferentBytes(group, dir / "missing", path("a"), questions));
  EXPECT_NE(questions.asked.back().text.find("cannot be compared"), std::string::npos);
}

// Names match with their letter case; of several targets of one name the oldest is offered.
TEST(LinksHistory, ExactPathsAndOldestSuggestion) {
  LinksHistory history;
  std::string out;
  history.AddLinkHistory("/a/x.txt");
  history.AddLinkHistory("/b/x.txt");
  EXPECT_EQ(history.InLinkHistory("/A/x.txt"), nullptr);
  EXPECT_EQ(history.InLinkHistory("Links History"), nullptr);
  EXPECT_EQ(history.LinkHistoryPathOf("/q/X.txt", &out), 0);
  ASSERT_EQ(history.LinkHistoryPathOf("/q/x.txt", &out), 1);
  EXPECT_EQ(out, "/a/x.txt");
  EXPECT_EQ(PreselectedCandidate({"/c/x.txt", "/A/X.TXT.bak"}, "/a/x.txt"), 1);
}

}  // namespace
}  // namespace tf
