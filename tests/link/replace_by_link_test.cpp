// Replacing a duplicate by a symbolic link to its twin: the questions, the dialog's
// rules, the links history and what is left on disk when a step fails.
#include <gtest/gtest.h>

#include <string>

#include "platform/path_status.h"
#include "results/links_history.h"
#include "results/replace_by_link.h"
#include "tests/backup/backup_test_support.h"
#include "tests/support/scripted_questions.h"

namespace tf {
namespace {

using testing::NamesIn;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

// The dialog's answers, given in advance; it applies the dialog's own accept rule.
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

// The trash refusing, as on a file system where no trash can be made.
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
    for (const char* folder : {"a", "b", "c"}) {
      std::filesystem::create_directories(dir / folder);
      const std::string path = dir / (std::string(folder) + "/report.doc");
      WriteBytes(path, std::string("copy in ") + folder);
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

  TempDir dir;
  testing::ScriptedQuestions questions;
  ScriptedLinkDialog dialog{questions};
  PlatformFileShell shell{questions};
  FileActions actions{questions, shell, droppingHooks()};
  LinksHistory history;
  DataNode* results = nullptr;
  DataNode* group = nullptr;
  Selection selection;
};

TEST_F(ReplaceByLinkTest, ReplacesTheFileByALinkAndRemembersTheTarget) {
  selection.paths = {path("b")};
  dialog.target = path("a");
  ASSERT_EQ(ReplaceByLink(selection, history, questions, dialog, shell, actions), 1);
  EXPECT_EQ(dialog.shownCandidates, (std::vector<std::string>{path("a"), path("c")}));
  EXPECT_EQ(dialog.shownPreselected, -1);
  EXPECT_TRUE(std::filesystem::is_symlink(path("b")));
  EXPECT_EQ(std::filesystem::read_symlink(path("b")).string(), path("a"));
  EXPECT_EQ(ReadBytes(path("b")), "copy in a");
  EXPECT_EQ(NamesIn(dir / "b"), std::vector<std::string>{"report.doc"});  // no temporary link
  EXPECT_EQ(ReadBytes(testing::PrivateTrashFiles() + "/report.doc"), "copy in b");
  EXPECT_EQ(group->FirstChild()->Next()->Name(), path("c"));  // b left the results
  EXPECT_NE(history.InLinkHistory(path("a")), nullptr);
  EXPECT_TRUE(questions.asked.empty());

  // The next file of that name suggests the same target (asking before replacing the
  // target itself is exercised through the results window).
  selection.paths = {path("c")};
  dialog.target.clear();
  EXPECT_EQ(ReplaceByLink(selection, history, questions, dialog, shell, actions), 0);
  EXPECT_EQ(dialog.shownPreselected, 0);
}

TEST_F(ReplaceByLinkTest, AFileChangedSinceTheSearchIsNotReplaced) {
  selection.paths = {path("b")};
  dialog.target = path("a");
  WriteBytes(path("b"), "rewritten after the search");
  EXPECT_EQ(ReplaceByLink(selection, history, questions, dialog, shell, actions), 0);
  EXPECT_FALSE(std::filesystem::is_symlink(path("b")));
  EXPECT_EQ(ReadBytes(path("b")), "rewritten after the search");
  ASSERT_FALSE(questions.asked.empty());
  EXPECT_NE(questions.asked.back().text.find(path("b")), std::string::npos);
  EXPECT_EQ(history.InLinkHistory(path("a")), nullptr);  // nothing was recorded
}

TEST_F(ReplaceByLinkTest, FailedTrashLeavesTheFileAndNoLink) {
  RefusingTrash refusing(questions);
  selection.paths = {path("b")};
  dialog.target = path("a");
  EXPECT_EQ(ReplaceByLink(selection, history, questions, dialog, refusing, actions), 0);
  EXPECT_FALSE(std::filesystem::is_symlink(path("b")));
  EXPECT_EQ(ReadBytes(path("b")), "copy in b");
  EXPECT_EQ(NamesIn(dir / "b"), std::vector<std::string>{"report.doc"});
  EXPECT_EQ(history.Root(), nullptr);
  EXPECT_EQ(group->FirstChild()->Next()->Name(), path("b"));
}

TEST_F(ReplaceByLinkTest, DialogRulesRefuseTheFileItself) {
  selection.paths = {path("b")};
  dialog.target = path("b");
  EXPECT_EQ(ReplaceByLink(selection, history, questions, dialog, shell, actions), 0);
  // A link to b that resolves to b itself is the same file too.
  std::filesystem::create_symlink(path("b"), dir / "alias");
  dialog.target = dir / "alias";
  EXPECT_EQ(ReplaceByLink(selection, history, questions, dialog, shell, actions), 0);
  EXPECT_EQ(questions.asked.size(), 2u);
  EXPECT_EQ(ReadBytes(path("b")), "copy in b");
  EXPECT_FALSE(std::filesystem::is_symlink(path("b")));

  EXPECT_FALSE(LinkTargetUsable(dir / "missing"));
  EXPECT_FALSE(LinkTargetUsable(dir.path()));
  EXPECT_TRUE(LinkTargetUsable(path("a")));
}

TEST_F(ReplaceByLinkTest, OneFileAtATimeAndAGroupIsNeeded) {
  selection.paths = {path("a"), path("b")};
  EXPECT_EQ(ReplaceByLink(selection, history, questions, dialog, shell, actions), 0);
  EXPECT_EQ(questions.asked.size(), 1u);
  selection.paths = {path("a")};
  selection.group = nullptr;
  dialog.target = path("c");
  EXPECT_EQ(ReplaceByLink(selection, history, questions, dialog, shell, actions), 0);
  // The unified view finds the file's group itself.
  selection.view = ResultView::kUnified;
  EXPECT_EQ(ReplaceByLink(selection, history, questions, dialog, shell, actions), 1);
  EXPECT_EQ(dialog.shownCandidates, (std::vector<std::string>{path("b"), path("c")}));
}

TEST(LinksHistory, ExactPathsAndOldestSuggestion) {
  LinksHistory history;
  std::string out;
  EXPECT_EQ(history.LinkHistoryPathOf("/q/x.txt", &out), 0);
  EXPECT_EQ(history.AddLinkHistory(""), 0);
  history.AddLinkHistory("/a/x.txt");
  history.AddLinkHistory("/b/x.txt");
  history.AddLinkHistory("/a/x.txt");
  EXPECT_NE(history.InLinkHistory("/a/x.txt"), nullptr);
  EXPECT_EQ(history.InLinkHistory("/A/x.txt"), nullptr);  // letter case matters
  EXPECT_EQ(history.InLinkHistory("Links History"), nullptr);
  EXPECT_EQ(history.LinkHistoryPathOf("/q/x.txt", &out), 1);
  EXPECT_EQ(out, "/a/x.txt");
  EXPECT_EQ(history.LinkHistoryPathOf("/q/X.txt", &out), 0);
  EXPECT_EQ(PreselectedCandidate({"/c/x.txt", "/A/X.TXT.bak"}, "/a/x.txt"), 1);
  EXPECT_EQ(PreselectedCandidate({"/c/x.txt"}, ""), -1);
}

}  // namespace
}  // namespace tf
