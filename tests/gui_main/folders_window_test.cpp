// The "Duplicate folders" view through real events: a copied folder found beside its
// original after a real search, sent to the trash and brought back whole by Ctrl+Z, moved
// with "Move..." and moved back by Ctrl+Z, and left alone where it is protected, where it
// is the last copy the user keeps, and where it changed since the search. Every question
// and message is answered by clicking its button; the folder choosers are answered from
// code.
#include <gtest/gtest.h>

#include <map>

#include <QCheckBox>

#include "main_window_support.h"
#include "scan/folder_list.h"
#include "tests/support/argv_record.h"
#include "tests/support/stand_in.h"
#include "ui/result_views/folder_groups_view.h"
#include "ui/result_views/folder_rows_model.h"
#include "ui/search_pages/criteria_page.h"
#include "ui/search_pages/folder_page.h"
#include "ui/search_pages/search_window.h"
#include "ui/window/qt_questions.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using testing::TempTree;
using testing::Window;
using Names = std::vector<std::string>;

class FoldersWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::PrivateTrashHome();
    ASSERT_TRUE(w.started);
    // A photo year and its copy on the "backup"; the copy's name needs no quoting to
    // be found, but a blank and a quote in it show that nothing parses it.
    const std::map<std::string, std::string> photos = {
        {"2024/beach.jpg", std::string(3000, 'b')},
        {"2024/raw/beach.raw", "raw bytes \x01\x02\x03"},
        {"2024/notes 'x'.txt", "sunny"}};
    int second = 0;
    for (const auto& [name, bytes] : photos) {
      for (const char* top : {"photos/", "backup/my photos/"}) put(top + name, bytes, second);
      content[name] = bytes;
      second += 100;
    }
    put("other/alone.txt", "one of a kind", 7);
    w.questions.showReally = &dialogs;
    ASSERT_TRUE(w.Activate());
    pane = w.controller.resultsPane();
    view = pane->foldersView();
  }
  void put(const std::string& relative, const std::string& bytes, int second) {
    const std::string path = tree.Path(relative);
    fs::create_directories(fs::path(path).parent_path());
    ASSERT_TRUE(testing::WriteFile(path, bytes));
    const std::chrono::sys_seconds day{std::chrono::sys_days{std::chrono::year{2021} / 3 / 1}};
    fs::last_write_time(path,
                        std::chrono::file_clock::from_sys(day + std::chrono::seconds(second)));
  }
  // Turns "Find duplicate folders" on as the user does, searches and shows the view.
  void searchFolders(bool addFolder = true, size_t expectedRows = 3) {
    SearchWindow* search = w.controller.searchWindow();
    search->SetMode(kSearchModeSettings);
    QCheckBox* box = search->criteriaPage()->findFoldersBox();
    ASSERT_TRUE(box->isVisible());
    if (!box->isChecked()) QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    ASSERT_TRUE(box->isChecked());
    ASSERT_TRUE(w.Search(addFolder ? tree.root() : std::string()));
    QTest::mouseClick(pane->modeButton(ResultsPane::kFoldersMode), Qt::LeftButton);
    ASSERT_EQ(pane->Mode(), ResultsPane::kFoldersMode);
    ASSERT_EQ(rows().size(), expectedRows);  // 3: the group and its two folders
  }
  Names rows() { return testing::Column(view->model()); }
  void click(const std::string& path) {
    ASSERT_TRUE(testing::ClickRow(view->list(), path)) << path;
  }
  size_t groupedFiles() { return testing::GroupedFiles(w).size(); }
  std::vector<std::string> answering(const QStringList& answers,
                                     const std::function<void()>& step) {
    return testing::Answering(w, answers, step);
  }
  // Every file of the copy, byte for byte.
  void expectWhole(const std::string& folder) {
    for (const auto& [name, bytes] : content)
      EXPECT_EQ(testing::ReadFile(folder + "/" + name), bytes) << folder << "/" << name;
  }

  TempTree places, tree;
  Window w{places};
  QtQuestions dialogs{&w.frame};
  ResultsPane* pane = nullptr;
  FolderGroupsView* view = nullptr;
  std::map<std::string, std::string> content;
};

TEST_F(FoldersWindow, ListsTheCopyAndCtrlZBringsItBackWholeFromTheTrash) {
  // A third copy of the year beside a letter: the years are a group of their own, one of
  // them inside the copy.
  int second = 0;
  for (const auto& [name, bytes] : content) {
    put("old/" + name, bytes, second);
    second += 100;
  }
  put("old/letter.txt", "dear", 9);
  // Before a search that looked for folders, the view says how to get them.
  ASSERT_TRUE(w.Search(tree.root()));
  QTest::mouseClick(pane->modeButton(ResultsPane::kFoldersMode), Qt::LeftButton);
  EXPECT_TRUE(view->notice()->isVisible());
  EXPECT_TRUE(view->notice()->text().contains(QStringLiteral("Find duplicate folders")));
  ASSERT_NO_FATAL_FAILURE(searchFolders(false, 7));
  EXPECT_FALSE(view->notice()->isVisible());
  const std::string copy = tree.Path("backup/my photos");
  // Only the topmost copies: not "raw" again, and a year only as the group of three.
  const Names listed = {"2 folders alike",       copy,           tree.Path("photos"),
                        "3 folders alike",       copy + "/2024", tree.Path("old/2024"),
                        tree.Path("photos/2024")};
  ASSERT_EQ(rows(), listed);
  EXPECT_EQ(testing::Column(view->model(), FolderRowsModel::kFilesColumn)[1], "3");
  EXPECT_EQ(groupedFiles(), 9u);

  click(copy);
  EXPECT_EQ(answering({"Yes"}, [&] { QTest::keyClick(view->list(), Qt::Key_Delete); }),
            Names{"Delete folder ?"});
  EXPECT_NE(w.questions.asked[0].text.find("move this folder (3 files)"), std::string::npos)
      << w.questions.asked[0].text;
  EXPECT_FALSE(fs::exists(copy));
  EXPECT_EQ(testing::TrashedFrom(tree.Path("backup")).size(), 1u);
  // The copy left its group, which went, and its year left the group of three; its
  // files left their file groups.
  EXPECT_EQ(rows(), (Names{"2 folders alike", tree.Path("old/2024"), tree.Path("photos/2024")}));
  EXPECT_EQ(groupedFiles(), 6u);
  EXPECT_TRUE(view->button(FolderGroupsView::kTrash)->isEnabled());

  EXPECT_TRUE(testing::UndoByKey(w, "Delete of 1 folder").empty());
  expectWhole(copy);
  EXPECT_TRUE(testing::TrashedFrom(tree.Path("backup")).empty());
  // Its files are back in their file groups, it and its year in their folder groups.
  EXPECT_EQ(groupedFiles(), 9u);
  EXPECT_EQ(rows(), listed);
}

TEST_F(FoldersWindow, BrowseShowsTheFolderMoveMovesItAndCtrlZMovesItBack) {
  ASSERT_NO_FATAL_FAILURE(searchFolders());
  const std::string copy = tree.Path("backup/my photos");
  click(copy);
  // Enter and the button browse alike, the desktop's opener given the folder.
  for (bool key : {true, false}) {
    const std::string shown = places.Path(key ? "shown by key" : "shown by button");
    testing::StandIn opener(places, "xdg-open", shown);
    if (key)
      QTest::keyClick(view->list(), Qt::Key_Return);
    else
      QTest::mouseClick(view->button(FolderGroupsView::kBrowse), Qt::LeftButton);
    EXPECT_EQ(testing::ReadArgvRecord(shown), (Names{copy, copy})) << key;  // run in it, given it
  }

  // "Move..." of the folder's right-click menu.
  const std::string elsewhere = tree.Folder("elsewhere");
  w.questions.folders = {elsewhere};
  // The chosen folder is the only question.
  EXPECT_TRUE(answering({}, [&] {
                EXPECT_TRUE(testing::TakeFromRowMenu(view->list(), "Move...").enabled);
                ASSERT_TRUE(QTest::qWaitFor([&] { return !fs::exists(copy); }, 5000));
              }).empty());
  EXPECT_TRUE(w.questions.folders.empty());
  const std::string moved = elsewhere + "/my photos";
  expectWhole(moved);
  EXPECT_TRUE(rows().empty());
  EXPECT_EQ(groupedFiles(), 0u);

  // Ctrl+Z moves it back whole and leaves nothing where it went.
  EXPECT_TRUE(testing::UndoByKey(w, "Move of 1 folder").empty());
  expectWhole(copy);
  EXPECT_FALSE(fs::exists(moved));
  EXPECT_TRUE(fs::is_empty(elsewhere));
  EXPECT_EQ(groupedFiles(), 6u);
  EXPECT_EQ(rows(), (Names{"2 folders alike", copy, tree.Path("photos")}));

  // The option is kept in the settings file with the search.
  w.controller.Shutdown();
  EXPECT_NE(testing::ReadFile(places.Path("config/twinfold.dat")).find("find_folders"),
            std::string::npos);
}

TEST_F(FoldersWindow, ProtectedLastCopyAndChangedFoldersAreLeftAlone) {
  // A folder can be protected once it is to be searched.
  w.controller.searchHost()->ChangeIncludeFolder(true, tree.root());
  ASSERT_EQ(
      w.controller.searchWindow()->folderPage()->ToggleProtectedPath(tree.Path("photos/2024")),
      kProtectionAdded);
  // A folder the search leaves out inside the copy does not tell the copy apart, but it
  // goes to the trash with it: the question says so.
  put("backup/my photos/private/diary.txt", "dear diary", 5);
  ASSERT_EQ(w.controller.searchWindow()->folderPage()->AddExcludePath(
                tree.Path("backup/my photos/private")),
            kFolderAdded);
  ASSERT_NO_FATAL_FAILURE(searchFolders(false));
  const std::string copy = tree.Path("backup/my photos");
  // Each refusal is a message closed by its "OK"; the text says why.
  const auto trash = [&](const std::string& path, const QString& answer) {
    click(path);
    const Names captions = answering(
        {answer}, [&] { EXPECT_TRUE(testing::ClickOn(view->button(FolderGroupsView::kTrash))); });
    EXPECT_EQ(captions.size(), 1u);
    return w.questions.asked.empty() ? testing::AskedMessage{} : w.questions.asked.back();
  };
  const auto says = [](const testing::AskedMessage& message, const std::string& part) {
    EXPECT_NE(message.text.find(part), std::string::npos) << message.text;
  };
  // A folder holding a protected folder.
  const testing::AskedMessage holding = trash(tree.Path("photos"), "OK");
  EXPECT_EQ(holding.caption, kProtectedCaption);
  says(holding, "holds the protected folder\n\"" + tree.Path("photos/2024") + "\"");
  // The original changed since the search: the copy is the last copy, asked about with
  // "No" the default, and "No" keeps it.
  put("photos/2024/notes 'x'.txt", "rainy", 300);
  const testing::AskedMessage last = trash(copy, "No");
  EXPECT_EQ(last.caption, kLastCopyCaption);
  EXPECT_EQ(last.buttonSet, MB_YESNO | MB_DEFBUTTON2);
  says(last, "is the last copy");
  says(last, "It also holds 1 file that the search did not compare");
  // The copy itself changed: refused before any question.
  put("backup/my photos/2024/raw/added.txt", "new", 1);
  const testing::AskedMessage changed = trash(copy, "OK");
  EXPECT_EQ(changed.caption, kFolderChangedCaption);
  says(changed, "a file in it was added, removed or changed");
  // And so is a move of it.
  w.questions.folders = {tree.Folder("elsewhere")};
  EXPECT_EQ(
      answering({"OK"},
                [&] { EXPECT_TRUE(testing::ClickOn(view->button(FolderGroupsView::kMove))); }),
      Names{kFolderChangedCaption});
  ASSERT_EQ(w.questions.asked.size(), 4u);
  says(w.questions.asked.back(), "search again to act on it");
  EXPECT_TRUE(w.questions.folders.empty());  // the destination was asked for
  EXPECT_TRUE(fs::exists(copy + "/2024/beach.jpg"));
  EXPECT_TRUE(fs::exists(tree.Path("photos/2024/beach.jpg")));
  EXPECT_TRUE(testing::TrashedFrom(tree.root()).empty());
  EXPECT_EQ(rows().size(), 3u);
}

}  // namespace
}  // namespace tf
