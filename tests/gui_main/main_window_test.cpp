// The main window: start-up with and without settings, the single-instance question, whole
// searches started from the keys and the search bar, and "Stop search" part-way.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QLocalServer>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "app/main_commands.h"
#include "app/search_control.h"
#include "main_window_support.h"
#include "scan/folder_list.h"
#include "scan/mask_collection.h"
#include "search/search_run.h"
#include "settings/settings_store.h"
#include "ui/results_pane.h"
#include "ui/separate_lists_view.h"
#include "ui/single_instance.h"
#include "ui/unified_list_view.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using testing::TempTree;
using testing::Window;

bool WaitForStatus(Window& w, const std::string& prefix, int ms = 20000) {
  return QTest::qWaitFor([&] { return w.status().rfind(prefix, 0) == 0; }, ms);
}

std::vector<std::string> firstColumn(QAbstractItemModel* model) {
  std::vector<std::string> rows;
  for (int row = 0; row < model->rowCount(); ++row)
    rows.push_back(model->index(row, 0).data().toString().toStdString());
  return rows;
}

std::vector<std::string> GroupKeys(Window& w) {
  std::vector<std::string> keys =
      firstColumn(w.controller.resultsPane()->separateView()->groupsList()->model());
  std::sort(keys.begin(), keys.end());
  return keys;
}

TEST(MainWindow, FirstStartMakesItsFoldersFoldsTheSearchColumnAndSavesOnClose) {
  TempTree places;
  Window w(places);
  ASSERT_TRUE(w.started);
  EXPECT_TRUE(fs::is_directory(places.Path("data/Backup")));
  EXPECT_EQ(w.frame.loadMasksMenu(), nullptr);  // no collection files

  // "Expand/Collapse" narrows the search column to its button and widens it again (the
  // split sets sizes through a ratio, which may round a pixel away).
  SearchWindow* column = w.controller.searchWindow();
  QRect first;
  ASSERT_TRUE(w.controller.split()->GetPaneRect(kRectFirstPane, &first));
  EXPECT_NEAR(first.width(), column->Width(true), 1);
  emit column->expandCollapseToggled(true);
  ASSERT_TRUE(w.controller.split()->GetPaneRect(kRectFirstPane, &first));
  EXPECT_NEAR(first.width(), column->Width(false), 1);
  w.frame.resize(w.frame.width() + 100, w.frame.height());
  QCoreApplication::processEvents();
  ASSERT_TRUE(w.controller.split()->GetPaneRect(kRectFirstPane, &first));
  EXPECT_NEAR(first.width(), column->Width(false), 1);  // fixed while the frame grows
  emit column->expandCollapseToggled(false);
  ASSERT_TRUE(w.controller.split()->GetPaneRect(kRectFirstPane, &first));
  EXPECT_NEAR(first.width(), column->Width(true), 1);

  w.frame.close();
  const std::string saved = places.Path("config/twinfold.dat");
  ASSERT_TRUE(fs::exists(saved));
  fs::remove(saved);
  w.controller.Shutdown();  // already done by the close
  EXPECT_FALSE(fs::exists(saved));
  EXPECT_TRUE(w.questions.asked.empty());
}

TEST(MainWindow, SettingsFileAndMaskFilesShapeTheStart) {
  TempTree places;
  {
    SettingsStore store;
    store.SetDefaults({places.Path("config/twinfold.dat"), places.Path("data/Backup")});
    store.SetTooltips(0);
    ASSERT_EQ(store.Save(), 1);
  }
  fs::create_directories(places.Path("data/Filters"));
  for (const char* name : {"b&w.mcf", "Audio.mcf"}) {
    MaskCollection masks;
    masks.SetUpdating(true);
    masks.AddGroup(MaskGroup{0, name, "*.wav;", 1, 0});
    masks.SetUpdating(false);
    ASSERT_TRUE(masks.SaveToFile(places.Path(std::string("data/Filters/") + name)));
  }
  Window w(places);
  ASSERT_TRUE(w.started);
  EXPECT_FALSE(w.controller.toolTips());
  QMenu* loadMasks = w.frame.loadMasksMenu();
  ASSERT_NE(loadMasks, nullptr);
  // Sorted by name; an ampersand is shown as itself, not as a mnemonic.
  ASSERT_EQ(loadMasks->actions().size(), 2);
  EXPECT_EQ(loadMasks->actions()[1]->text().toStdString(), "b&&w");
  loadMasks->actions()[1]->trigger();
  MaskGroup group;
  ASSERT_TRUE(w.controller.shell()->Masks().GetGroup(1, &group));
  EXPECT_EQ(group.name, "b&w.mcf");
  EXPECT_EQ(w.controller.shell()->Masks().Count(), 1);
}

TEST(MainWindow, SecondInstanceAsksFirst) {
  TempTree places;
  const QString name = testing::UniqueInstanceName();
  Window first(places, name);
  ASSERT_TRUE(first.started);

  Window cancelled(places, name);  // no scripted answer: Cancel
  EXPECT_FALSE(cancelled.started);
  ASSERT_EQ(cancelled.questions.asked.size(), 1u);
  EXPECT_EQ(cancelled.questions.asked[0].buttonSet, MB_YESNOCANCEL);

  TempTree otherPlaces;
  {
    testing::ScriptedQuestions yes;
    yes.answers = {IDYES};
    CMainFrame frame;
    MainController controller;
    EXPECT_FALSE(controller.Init(&frame, testing::SetupIn(otherPlaces, &yes, name)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return first.controller.raiseCount() == 1; }, 5000));
  }
  // Ended before anything was built: nothing is saved.
  EXPECT_FALSE(fs::exists(otherPlaces.Path("config/twinfold.dat")));

  testing::ScriptedQuestions no;
  no.answers = {IDNO};
  CMainFrame frame;
  MainController second;
  EXPECT_TRUE(second.Init(&frame, testing::SetupIn(otherPlaces, &no, name)));
  EXPECT_EQ(no.asked.size(), 1u);
  QTest::qWait(50);
  EXPECT_EQ(first.controller.raiseCount(), 1);
}

// An instance that crashed leaves its socket file behind; the next start takes it over
// without asking.
TEST(MainWindow, LeftoverSocketOfACrashedInstanceIsTakenOver) {
  const QString name = testing::UniqueInstanceName();
  const std::string path = (QDir::tempPath() + QLatin1Char('/') + name).toStdString();
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  close(fd);  // the file stays, nobody listens
  ASSERT_TRUE(fs::exists(path));
  QLocalServer plain;
  ASSERT_FALSE(plain.listen(name));  // what a plain listen makes of it

  TempTree places;
  Window w(places, name);
  EXPECT_TRUE(w.started);
  EXPECT_TRUE(w.questions.asked.empty());
  EXPECT_TRUE(w.controller.instance()->listening());
}

TEST(MainWindow, SearchFromKeysAndBarShowsTheGroups) {
  TempTree places;
  TempTree tree;
  tree.File("a/report.txt", 10);
  tree.File("b/report.txt", 10);
  tree.File("b/photo.jpg", 20);
  tree.File("c/d/photo.jpg", 20);
  tree.File("c/alone.txt", 5);
  Window w(places);
  ASSERT_TRUE(w.started);
  EXPECT_EQ(w.controller.searchHost()->ChangeIncludeFolder(true, tree.root()), kFolderAdded);
  w.frame.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w.frame));
  QTest::keyClick(&w.frame, Qt::Key_S, Qt::ControlModifier);
  ASSERT_TRUE(WaitForStatus(w, "Finished"));
  EXPECT_EQ(w.status(), "Finished (4 files found)");
  EXPECT_EQ(GroupKeys(w), (std::vector<std::string>{"photo.jpg", "report.txt"}));
  // The unified list: each group followed by its files.
  QTest::mouseClick(w.controller.resultsPane()->modeButton(1), Qt::LeftButton);
  QAbstractItemModel* unified = w.controller.resultsPane()->unifiedView()->list()->model();
  std::vector<std::string> rows;
  for (int row = 0; row < unified->rowCount(); ++row)
    rows.push_back(unified->index(row, 0).data().toString().toStdString());
  EXPECT_EQ(rows, (std::vector<std::string>{"photo.jpg", tree.Path("b/photo.jpg"),
                                            tree.Path("c/d/photo.jpg"), "report.txt",
                                            tree.Path("a/report.txt"), tree.Path("b/report.txt")}));
  QTest::mouseClick(w.controller.resultsPane()->modeButton(0), Qt::LeftButton);

  // Again from the bar, after one of the twins went away.
  fs::remove(tree.Path("c/d/photo.jpg"));
  QTest::mouseClick(w.controller.searchBar()->startButton(), Qt::LeftButton);
  ASSERT_TRUE(WaitForStatus(w, "Finished"));
  EXPECT_EQ(w.status(), "Finished (2 files found)");
  EXPECT_EQ(GroupKeys(w), (std::vector<std::string>{"report.txt"}));

  // The folder vanished just before a start: the old result goes and no list may keep
  // rows that point into it.
  fs::rename(tree.root(), tree.root() + ".moved");
  w.controller.OnCommand(kCmdStartSearch);
  w.frame.repaint();
  EXPECT_TRUE(GroupKeys(w).empty());
  fs::rename(tree.root() + ".moved", tree.root());
}

TEST(MainWindow, StopPartWayShowsTheGroupsFoundInBothLists) {
  TempTree places;
  TempTree tree;
  constexpr int kFolders = 3000;
  for (int d = 0; d < kFolders; ++d) tree.File("d" + std::to_string(d) + "/common.txt");
  Window w(places);
  ASSERT_TRUE(w.started);
  w.controller.searchHost()->ChangeIncludeFolder(true, tree.root());
  w.frame.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w.frame));
  QTest::keyClick(&w.frame, Qt::Key_S, Qt::ControlModifier);
  const SearchRun* run = w.controller.shell()->Search().Run();
  ASSERT_NE(run, nullptr);
  const FolderScan& scan = *run->Scans()[0];
  QAction* stop = w.frame.action(kCmdStopSearch);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return scan.foldersEntered() >= 20 && stop->isEnabled(); }, 20000));
  QTest::keyClick(&w.frame, Qt::Key_P, Qt::ControlModifier);
  // On a machine busy enough to hold this thread back, the walk can end before the key
  // arrives; there is then nothing part-way to look at.
  if (scan.StatusText() == "completed" || scan.StatusText() == "accepted")
    GTEST_SKIP() << "the walk ended before Stop reached it";
  EXPECT_EQ(w.status(), "Stopped");
  EXPECT_EQ(scan.StatusText(), "stopped");

  // The groups found so far are formed beside the window, then shown.
  ResultsPane* pane = w.controller.resultsPane();
  QAbstractItemModel* groups = pane->separateView()->groupsList()->model();
  ASSERT_TRUE(QTest::qWaitFor([&] { return groups->rowCount() > 0; }, 20000));
  EXPECT_EQ(firstColumn(groups), std::vector<std::string>{"common.txt"});
  QTest::mouseClick(pane->modeButton(1), Qt::LeftButton);
  const std::vector<std::string> unified = firstColumn(pane->unifiedView()->list()->model());
  ASSERT_GE(unified.size(), 21u);
  EXPECT_LT(unified.size(), static_cast<size_t>(kFolders + 1));
  EXPECT_EQ(unified[0], "common.txt");
  EXPECT_EQ(unified[1].rfind(tree.root() + "/d", 0), 0u) << unified[1];
}

}  // namespace
}  // namespace tf
