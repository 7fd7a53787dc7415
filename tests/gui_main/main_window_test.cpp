// The main window over real folders.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <tuple>

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAccessibleInterface>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QXmlStreamReader>

#include "app/remembered_search.h"
#include "datatree/node_xml.h"
#include "main_window_support.h"
#include "scan/filter_nodes.h"
#include "scan/folder_list.h"
#include "search/search_descriptor.h"
#include "settings/settings_store.h"
#include "ui/preview/browser_preview_pane.h"
#include "ui/result_views/unified_list_view.h"
#include "ui/search_pages/criteria_page.h"
#include "ui/search_pages/filters_page.h"
#include "ui/search_pages/folder_page.h"
#include "ui/search_pages/search_tab_bar.h"
#include "ui/search_pages/search_window.h"
#include "ui/shell/help_viewer.h"
#include "ui/shell/single_instance.h"
#include "ui/window/scroll_window.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using testing::GroupKeys;
using testing::TempTree;
using testing::Window;

// Set before anything in the process can ask where the trash is.
[[maybe_unused]] const std::string& kTrashHome = testing::PrivateTrashHome();

using Paths = std::set<std::string>;
using Names = std::vector<std::string>;

// Lists, tables, trees and text boxes without an accessible name.
void collectUnnamed(QAccessibleInterface* node, QStringList* unnamed, int* seen, int depth) {
  if (!node || !node->isValid() || depth > 40 || node->state().invisible) return;
  const QAccessible::Role role = node->role();
  const bool list =
      role == QAccessible::List || role == QAccessible::Table || role == QAccessible::Tree;
  if (list || role == QAccessible::EditableText) {
    ++*seen;
    if (node->text(QAccessible::Name).trimmed().isEmpty())
      *unnamed << (node->object() ? node->object()->objectName() : QStringLiteral("?"));
  }
  for (int i = 0; !list && i < node->childCount(); ++i)
    collectUnnamed(node->child(i), unnamed, seen, depth + 1);
}

TEST(MainWindow, StartFollowsTheSettingsFileFoldsTheSearchColumnAndSavesOnClose) {
  TempTree places;
  const std::string saved = places.Path("config/twinfold.dat");
  {
    SettingsStore store;
    store.SetDefaults({saved, places.Path("data/Backup")});
    store.SetTooltips(0);
    ASSERT_EQ(store.Save(), 1);
  }
  Window w(places);
  ASSERT_TRUE(w.started);
  EXPECT_TRUE(fs::is_directory(places.Path("data/Backup")));
  EXPECT_FALSE(w.controller.toolTips());

  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.frame));
  // The split sets sizes through a ratio, which may round a pixel away.
  SearchWindow* column = w.controller.searchWindow();
  QToolButton* expand = column->tabBar()->expandButton();
  const auto columnWidth = [&] {
    QRect first;
    EXPECT_TRUE(w.controller.split()->GetPaneRect(kRectFirstPane, &first));
    return first.width();
  };
  EXPECT_NEAR(columnWidth(), column->Width(true), 1);
  QTest::mouseClick(expand, Qt::LeftButton);
  EXPECT_NEAR(columnWidth(), column->Width(false), 1);
  w.frame.resize(w.frame.width() + 100, w.frame.height());
  QCoreApplication::processEvents();
  EXPECT_NEAR(columnWidth(), column->Width(false), 1);  // fixed while the frame grows
  QTest::mouseClick(expand, Qt::LeftButton);
  EXPECT_NEAR(columnWidth(), column->Width(true), 1);

  for (int results = 0; results < 2; ++results) {
    w.controller.resultsPane()->SetMode(results);
    for (int page = 0; page <= kSearchModeSettings; ++page) {
      QTest::mouseClick(column->tabBar()->tab(page), Qt::LeftButton);
      QStringList unnamed;
      int seen = 0;
      collectUnnamed(QAccessible::queryAccessibleInterface(&w.frame), &unnamed, &seen, 0);
      EXPECT_GE(seen, page == kSearchModeFolders ? 3 : 1) << "page " << page;  // it got there
      EXPECT_TRUE(unnamed.isEmpty())
          << "page " << page << ", view " << results << ": " << unnamed.join(", ").toStdString();
    }
  }

  fs::remove(saved);
  w.frame.close();
  ASSERT_TRUE(fs::exists(saved));
  fs::remove(saved);
  w.controller.Shutdown();  // already done by the close
  EXPECT_FALSE(fs::exists(saved));
  EXPECT_TRUE(w.questions.asked.empty());
}

// A crashed instance's socket file is taken over without asking.
TEST(MainWindow, ALeftoverSocketIsTakenOverAndASecondInstanceAsksFirst) {
  const QString name = testing::UniqueInstanceName();
  const std::string path = (QDir::tempPath() + QLatin1Char('/') + name).toStdString();
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  close(fd);
  TempTree places;
  Window first(places, name);
  ASSERT_TRUE(first.started);
  EXPECT_TRUE(first.questions.asked.empty());
  EXPECT_TRUE(first.controller.instance()->listening());

  Window cancelled(places, name);  // no scripted answer: Cancel
  EXPECT_FALSE(cancelled.started);
  ASSERT_EQ(cancelled.questions.asked.size(), 1u);
  EXPECT_EQ(cancelled.questions.asked[0].buttonSet, MB_YESNOCANCEL);

  TempTree otherPlaces;
  for (const int answer : {IDYES, IDNO}) {
    testing::ScriptedQuestions questions;
    questions.answers = {answer};
    CMainFrame frame;
    MainController second;
    EXPECT_EQ(second.Init(&frame, testing::SetupIn(otherPlaces, &questions, name)), answer == IDNO);
    EXPECT_EQ(questions.asked.size(), 1u);
    EXPECT_TRUE(QTest::qWaitFor([&] { return first.controller.raiseCount() == 1; }, 5000));
    EXPECT_TRUE(answer == IDNO || !fs::exists(otherPlaces.Path("config/twinfold.dat")));
  }
  QTest::qWait(50);
  EXPECT_EQ(first.controller.raiseCount(), 1);
}

// A started window over a folder tree of its own.
class SearchingWindow : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(w.started); }
  TempTree places, tree;
  Window w{places};
};

TEST_F(SearchingWindow, SearchFromKeysAndBarShowsTheGroups) {
  tree.File("a/report.txt", 10);
  tree.File("b/report.txt", 10);
  tree.File("b/photo.jpg", 20);
  tree.File("c/d/photo.jpg", 20);
  tree.File("c/alone.txt", 5);
  EXPECT_EQ(w.controller.searchHost()->ChangeIncludeFolder(true, tree.root()), kFolderAdded);
  ASSERT_TRUE(w.Activate());
  QTest::keyClick(&w.frame, Qt::Key_S, Qt::ControlModifier);
  ASSERT_TRUE(w.Finished());
  EXPECT_EQ(w.status(), "Finished (4 files found)");
  EXPECT_EQ(GroupKeys(w), (Names{"photo.jpg", "report.txt"}));

  // No list may keep rows that point into a folder that vanished before a start.
  fs::rename(tree.root(), tree.root() + ".moved");
  w.controller.OnCommand(kCmdStartSearch);
  w.frame.repaint();
  EXPECT_TRUE(GroupKeys(w).empty());
  fs::rename(tree.root() + ".moved", tree.root());
}

// Each looser option of the "Settings" page, set by the mouse or typed, reaches the
// search: the groups found change as the option says.
TEST_F(SearchingWindow, LooserCriteriaOfTheSettingsPageReachTheSearch) {
  const std::string strasse = "Stra\xC3\x9F\x65.txt", cafe = "caf\xC3\xA9.txt";
  const std::tuple<std::string, int, int> files[] = {
      // path, size, seconds
      {"a/" + strasse, 10, 0},        {"b/STRASSE.TXT", 10, 0},
      {"a/" + cafe, 20, 0},           {"b/cafe\xCC\x81.txt", 20, 0},
      {"a/clip.mp4", 30, 0},          {"b/clip.mp4", 30, 1},
      {"a/holiday photo.jpg", 40, 0}, {"b/holiday photo (1).jpg", 40, 0},
      {"a/report.txt", 50, 0},        {"a/old/report.txt", 50, 0},      // in one search folder
      {"b/only-here.txt", 60, 0},     {"b/new/only-here.txt", 60, 0}};  // none protected
  for (const auto& [path, size, seconds] : files) tree.File(path, size, seconds);
  w.controller.searchHost()->ChangeIncludeFolder(true, tree.Path("a"));
  ASSERT_EQ(w.controller.searchWindow()->folderPage()->ToggleProtectedPath(tree.Path("a")),
            kProtectionAdded);
  w.controller.searchHost()->ChangeIncludeFolder(true, tree.Path("b"));
  QTest::mouseClick(w.controller.searchWindow()->tabBar()->tab(kSearchModeSettings),
                    Qt::LeftButton);
  CriteriaPage* page = w.controller.searchWindow()->criteriaPage();
  const auto reach = [](QWidget* control) {
    for (QWidget* up = control->parentWidget(); up; up = up->parentWidget())
      if (auto* area = qobject_cast<QScrollArea*>(up)) area->ensureWidgetVisible(control);
  };
  const auto type = [&](QSpinBox* spin, int value) {
    if (value < 0) return;
    reach(spin);
    QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(8, spin->height() / 2));
    QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(spin, QString::number(value));
    QTest::keyClick(spin, Qt::Key_Return);
  };
  // Each step clicks its boxes and radios on their marks, types its tolerance and
  // similarity (-1: left), then searches. Groups are named after their first file in path
  // order, always composed and folded.
  const struct {
    std::vector<QAbstractButton*> clicked;
    int tolerance, similarity;
    Names groups;
  } steps[] = {
      {{}, -1, -1, {"only-here.txt", "report.txt"}},
      {{page->foldCaseBox()}, -1, -1, {"only-here.txt", "report.txt", "strasse.txt"}},
      {{page->foldCaseBox(), page->normalizeBox()}, -1, -1, {cafe, "only-here.txt", "report.txt"}},
      {{page->normalizeBox()}, 1, -1, {"clip.mp4", "only-here.txt", "report.txt"}},
      {{}, 0, 70, {strasse, cafe, "holiday photo.jpg", "only-here.txt", "report.txt"}},
      {{page->nameRadio(0), page->foldCaseBox(), page->acrossRootsBox()}, -1, -1, {"strasse.txt"}},
      {{page->acrossRootsBox(), page->withProtectedBox()}, -1, -1, {"report.txt", "strasse.txt"}},
  };
  for (size_t i = 0; i < std::size(steps); ++i) {
    for (QAbstractButton* box : steps[i].clicked) {
      reach(box);
      QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }
    type(page->toleranceSpin(), steps[i].tolerance);
    type(page->similaritySpin(), steps[i].similarity);
    ASSERT_TRUE(w.Search());
    Names keys = GroupKeys(w);
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, steps[i].groups) << "step " << i;
  }
  const DuplicateCriteria stored = w.controller.searchHost()->Descriptor().Criteria();
  EXPECT_TRUE(stored.foldCase && stored.withProtected && !stored.acrossRoots && !stored.normalize &&
              stored.timeTolerance == 0 && stored.similarity == 70);
}

// Where the desktop's opener has no program for a file (it says "no method available"
// and ends with an error), Open and Browse say so, and the help shows in a viewer of the
// program's own, whose links lead through the manual.
TEST(MainWindow, WhereTheDesktopOpensNothingTheUserIsToldAndTheHelpShowsItself) {
  TempTree places, tree;
  const std::string bin = places.Folder("bin");
  ASSERT_TRUE(testing::WriteFile(bin + "/xdg-open",
                                 "#!/bin/sh\necho 'xdg-open: no method available' >&2\nexit 3\n"));
  ASSERT_EQ(::chmod((bin + "/xdg-open").c_str(), 0755), 0);
  const std::string savedPath = std::getenv("PATH");
  ::setenv("PATH", (bin + ":" + savedPath).c_str(), 1);
  Window w(places, QString(), {TF_HELP_INDEX});
  ASSERT_TRUE(w.started);
  ASSERT_TRUE(w.Activate());

  QTest::keyClick(&w.frame, Qt::Key_F1);
  auto* viewer = w.frame.findChild<HelpViewer*>();
  ASSERT_NE(viewer, nullptr);
  EXPECT_TRUE(viewer->isVisible());
  QTextBrowser* browser = viewer->pane()->browser();
  EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("Twinfold")));
  emit browser->anchorClicked(QUrl(QStringLiteral("searching.htm")));  // a link of the index
  EXPECT_NE(viewer->page(), TF_HELP_INDEX);
  EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("Searching")));
  emit browser->anchorClicked(QUrl(QStringLiteral("../../etc/passwd")));  // not the manual
  EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("Searching")));
  EXPECT_TRUE(viewer->page().ends_with(".htm")) << viewer->page();
  EXPECT_TRUE(w.questions.asked.empty());
  viewer->close();

  tree.File("one/report.txt", 10);
  tree.File("two/report.txt", 10);
  ASSERT_TRUE(w.Search(tree.root()));
  ResultsPane* pane = w.controller.resultsPane();
  QTableView* files = pane->separateView()->filesList();
  ASSERT_TRUE(testing::ClickRow(files, tree.Path("one/report.txt")));
  for (ResultListView::Command command : {ResultListView::kOpen, ResultListView::kBrowse}) {
    const size_t asked = w.questions.asked.size();
    QTest::mouseClick(pane->separateView()->button(command), Qt::LeftButton);
    ASSERT_EQ(w.questions.asked.size(), asked + 1) << command;
    const std::string& text = w.questions.asked.back().text;
    EXPECT_NE(text.find(command == ResultListView::kOpen ? tree.Path("one/report.txt")
                                                         : tree.Path("one")),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("found no program"), std::string::npos) << text;
  }
  ::setenv("PATH", savedPath.c_str(), 1);
}

// Whether `a` comes before `b` as a reader scans a screen: rows top to bottom (a widget
// beside another, overlapping it in height, is on its row), left to right in a row.
bool ReadsBefore(const QRect& a, const QRect& b) {
  const bool oneRow = a.top() < b.bottom() && b.top() < a.bottom();
  return oneRow ? a.left() < b.left() : a.top() < b.top();
}

// Tab goes round every control of the window: down the left column (its four page tabs
// among them), then down the right one ("Separated", "Unified", "Backup", "Duplicate
// folders" among them), each top to bottom and left to right.
TEST_F(SearchingWindow, TabWalksEachSideTopToBottomAndLeftToRight) {
  tree.File("one/a.txt", 10);
  tree.File("two/a.txt", 10);
  ASSERT_TRUE(w.Search(tree.root()));
  ASSERT_TRUE(w.Activate());
  SearchWindow* left = w.controller.searchWindow();
  QWidget* start = left->tabBar()->expandButton();
  start->setFocus();
  std::vector<QWidget*> walked;
  for (int step = 0; step < 200; ++step) {
    walked.push_back(QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    if (QApplication::focusWidget() == start) break;
  }
  ASSERT_EQ(QApplication::focusWidget(), start) << "Tab does not come round";
  const auto where = [&](QWidget* widget) {
    return QRect(widget->mapTo(&w.frame, QPoint(0, 0)), widget->size());
  };
  const auto name = [](QWidget* widget) {
    const QString text = widget->property("text").toString();
    return (widget->metaObject()->className() + (" " + text)).toStdString();
  };
  size_t firstRight = 0;
  while (firstRight < walked.size() && left->isAncestorOf(walked[firstRight])) ++firstRight;
  for (size_t i = firstRight; i < walked.size(); ++i)
    EXPECT_FALSE(left->isAncestorOf(walked[i])) << name(walked[i]) << " after the right side";
  for (size_t i = 1; i < walked.size(); ++i) {
    if (i == firstRight) continue;
    EXPECT_TRUE(ReadsBefore(where(walked[i - 1]), where(walked[i])))
        << name(walked[i - 1]) << " before " << name(walked[i]);
  }
  ResultsPane* pane = w.controller.resultsPane();
  for (int mode = 0; mode <= ResultsPane::kFoldersMode; ++mode) {
    if (!pane->modeButton(mode)->isEnabled()) continue;
    EXPECT_NE(std::find(walked.begin(), walked.end(), pane->modeButton(mode)), walked.end())
        << mode;
  }
  for (int page = 0; page <= kSearchModePreview; ++page)
    EXPECT_NE(std::find(walked.begin(), walked.end(), left->tabBar()->tab(page)), walked.end())
        << "tab " << page;
}

TEST_F(SearchingWindow, StopPartWayShowsTheGroupsFoundSoFar) {
  constexpr int kFolders = 3000;
  for (int d = 0; d < kFolders; ++d) tree.File("d" + std::to_string(d) + "/common.txt");
  w.controller.searchHost()->ChangeIncludeFolder(true, tree.root());
  ASSERT_TRUE(w.Activate());
  QTest::keyClick(&w.frame, Qt::Key_S, Qt::ControlModifier);
  const SearchRun* run = w.controller.shell()->Search().Run();
  ASSERT_NE(run, nullptr);
  const FolderScan& scan = *run->Scans()[0];
  QAction* stop = w.frame.action(kCmdStopSearch);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return scan.foldersEntered() >= 20 && stop->isEnabled(); }, 20000));
  // The folder's row says that it is being scanned and how far it got, as it goes.
  w.controller.searchWindow()->folderPage()->Rebuild();
  QTreeWidgetItem* row = w.controller.searchWindow()->folderPage()->includeList()->topLevelItem(0);
  ASSERT_NE(row, nullptr);
  const auto rowScanning = [&] { return row->text(1).startsWith(QStringLiteral("scanning: ")); };
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return rowScanning() || scan.state() >= FolderScan::kStopRequested; }, 5000))
      << row->text(1).toStdString();
  if (scan.state() == FolderScan::kRunning) {
    EXPECT_TRUE(rowScanning()) << row->text(1).toStdString();
    EXPECT_TRUE(row->text(1).contains(QStringLiteral(" files"))) << row->text(1).toStdString();
  }
  QTest::keyClick(&w.frame, Qt::Key_P, Qt::ControlModifier);
  // On a machine busy enough to hold this thread back, the walk can end before the key
  // arrives; there is then nothing part-way to look at.
  if (scan.StatusText() == "completed" || scan.StatusText() == "accepted")
    GTEST_SKIP() << "the walk ended before Stop reached it";
  EXPECT_EQ(w.status(), "Stopped");
  EXPECT_EQ(scan.StatusText(), "stopped");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !GroupKeys(w).empty(); }, 20000));
  EXPECT_EQ(GroupKeys(w), Names{"common.txt"});
}

std::string descriptorXml(Window& w) {
  std::string xml;
  WriteNodeXml(w.controller.shell()->Descriptor()->Root(), &xml, false);
  return xml;
}

// The descriptor's "folders" and "settings" (the filters hold the dates of their making).
std::string foldersAndCriteria(Window& w) {
  std::string folders, criteria;
  WriteNodeXml(w.controller.shell()->Descriptor()->FoldersNode(), &folders, true);
  WriteNodeXml(w.controller.shell()->Descriptor()->SettingsNode(), &criteria, true);
  return folders + criteria;
}

// A settings file written before the remembered search existed starts with the defaults.
TEST(RememberedSearch, ComesBackAfterARestartAndAnOlderFileStartsWithTheDefaults) {
  TempTree places;
  TempTree tree;
  tree.Folder("photos/cache");
  const std::string ref = tree.File("photos/ref/a.txt", 3);
  tree.File("photos/work/a.txt", 3);
  std::string defaults;
  QRect defaultPlace;
  {
    Window fresh(places);
    ASSERT_TRUE(fresh.started);
    defaults = foldersAndCriteria(fresh);
    defaultPlace = fresh.frame.geometry();
    fresh.controller.Shutdown();
  }
  std::string before;
  {
    Window w(places);
    ASSERT_TRUE(w.started);
    w.controller.searchHost()->ChangeIncludeFolder(true, tree.Path("photos"));
    w.controller.searchHost()->ChangeExcludeFolder(true, tree.Path("photos/cache"));
    SearchDescriptor& descriptor = w.controller.searchHost()->Descriptor();
    DuplicateCriteria anyTime = descriptor.Criteria();
    anyTime.sameTime = false;
    descriptor.SetCriteria(anyTime, false);
    QComboBox* symbols = w.controller.searchWindow()->criteriaPage()->symbolsCombo();
    symbols->setFocus();
    QTest::keyClick(symbols, Qt::Key_End);
    ASSERT_TRUE(SetFilterEnabled(w.controller.shell()->Descriptor()->NameFilterNode(), 1));
    FolderPage* page = w.controller.searchWindow()->folderPage();
    ASSERT_EQ(page->ToggleProtectedPath(tree.Path("photos/ref")), kProtectionAdded);
    w.frame.setGeometry(40, 50, 700, 520);

    ASSERT_TRUE(w.Search());
    w.controller.resultsPane()->SetMode(1);
    QTableView* list = w.controller.resultsPane()->unifiedView()->list();
    ASSERT_TRUE(testing::ClickRow(list, ref));
    QTest::keyClick(list, Qt::Key_Delete);
    ASSERT_EQ(w.questions.asked.size(), 1u);
    EXPECT_EQ(w.questions.asked[0].caption, "Protected folder");
    EXPECT_TRUE(std::filesystem::exists(ref));
    before = descriptorXml(w);
    w.frame.close();
  }

  {
    Window again(places);
    ASSERT_TRUE(again.started);
    EXPECT_EQ(descriptorXml(again), before);
    QTreeWidget* includes = again.controller.searchWindow()->folderPage()->includeList();
    ASSERT_EQ(includes->topLevelItemCount(), 1);
    EXPECT_EQ(includes->topLevelItem(0)->child(0)->text(1), "protected");
    QComboBox* symbols = again.controller.searchWindow()->criteriaPage()->symbolsCombo();
    EXPECT_EQ(symbols->currentIndex(), symbols->count() - 1);
    EXPECT_EQ(again.frame.geometry(), QRect(40, 50, 700, 520));
    // Ready to search, and the filter left on shows outside its page.
    EXPECT_EQ(again.status(), "<- Click to start search");
    QPushButton* filtersTab = again.controller.searchWindow()->tabBar()->tab(kSearchModeFilters);
    QPushButton* nameSelector = again.controller.searchWindow()->filtersPage()->selectorButton(0);
    const QColor onColour = nameSelector->palette().color(QPalette::ButtonText);
    const QFont plainFont = again.controller.searchWindow()->tabBar()->tab(0)->font();
    EXPECT_TRUE(filtersTab->font().bold());
    EXPECT_EQ(filtersTab->palette().color(QPalette::ButtonText), onColour);
    EXPECT_EQ(filtersTab->toolTip(), "File filters\nOn: File name(mask) filter");
    ASSERT_TRUE(SetFilterEnabled(again.controller.shell()->Descriptor()->NameFilterNode(), 0));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return filtersTab->palette().color(QPalette::ButtonText) != onColour; }, 2000));
    EXPECT_EQ(filtersTab->font(), plainFont);  // as the other tabs again
    EXPECT_EQ(filtersTab->toolTip(), "File filters");
  }

  SettingsStore older;
  ASSERT_TRUE(older.SetDefaults({places.Path("config/twinfold.dat"), places.Path("data/Backup")}));
  ASSERT_TRUE(older.Save());
  Window fromOlder(places);
  ASSERT_TRUE(fromOlder.started);
  EXPECT_TRUE(RememberSearchOn(&fromOlder.controller.shell()->Settings()));
  EXPECT_EQ(foldersAndCriteria(fromOlder), defaults);
  EXPECT_EQ(GetFilterEnabled(fromOlder.controller.shell()->Descriptor()->NameFilterNode()), 0);
  EXPECT_EQ(fromOlder.frame.geometry(), defaultPlace);
  EXPECT_EQ(fromOlder.status(), "Choose folders/drives to be scanned");
}

// The lowest control of a page, by its bottom edge: what a short window would cut off.
QWidget* lowestControl(QWidget* page) {
  QWidget* lowest = nullptr;
  int bottom = -1;
  for (QWidget* child : page->findChildren<QWidget*>()) {
    const bool control = qobject_cast<QAbstractButton*>(child) || qobject_cast<QComboBox*>(child) ||
                         qobject_cast<QLineEdit*>(child) || qobject_cast<QAbstractSpinBox*>(child);
    if (!control || !child->isVisibleTo(page) || qobject_cast<QLineEdit*>(child->parentWidget()) ||
        qobject_cast<QComboBox*>(child->parentWidget()) ||
        qobject_cast<QAbstractSpinBox*>(child->parentWidget()))
      continue;
    const int at = child->mapTo(page, QPoint(0, child->height())).y();
    if (at > bottom) {
      bottom = at;
      lowest = child;
    }
  }
  return lowest;
}

// At its smallest the window cuts no page off: each scrolls, by its bar, to its lowest
// control, which then takes the click.
TEST(SmallestWindow, EveryPageScrollsToItsLowestControl) {
  TempTree places;
  Window w(places);
  ASSERT_TRUE(w.started);
  w.frame.resize(w.frame.minimumSize());
  QApplication::processEvents();
  ASSERT_EQ(w.frame.size(), QSize(kFrameMinWidth, kFrameMinHeight));
  SearchWindow* column = w.controller.searchWindow();
  int scrolled = 0;  // pages cut off before scrolling
  for (int mode : {kSearchModeFolders, kSearchModeFilters, kSearchModeSettings}) {
    QTest::mouseClick(column->tabBar()->tab(mode), Qt::LeftButton);
    ScrollWindow* holder = column->pageHolder(mode);
    QWidget* control = lowestControl(column->page(mode));
    ASSERT_TRUE(holder && control) << mode;
    ASSERT_TRUE(holder->isVisible()) << mode;
    const auto shown = [&] {
      const QRect at(control->mapTo(holder, QPoint(0, 0)), control->size());
      return at.bottom() < holder->verticalBar()->y() + holder->verticalBar()->height() &&
             at.top() >= 0;
    };
    EXPECT_FALSE(holder->horizontalBar()->isVisible()) << mode;
    scrolled += shown() ? 0 : 1;
    QScrollBar* bar = holder->verticalBar();
    for (int click = 0; click < 40 && !shown(); ++click)  // the groove above the lower arrow
      QTest::mouseClick(bar, Qt::LeftButton, {},
                        QPoint(bar->width() / 2, bar->height() - bar->width() - 2));
    ASSERT_TRUE(shown()) << mode;
    const QPoint middle = control->mapToGlobal(control->rect().center());
    QWidget* under = QApplication::widgetAt(middle);
    EXPECT_TRUE(under == control || control->isAncestorOf(under))
        << mode << ": " << (under ? under->metaObject()->className() : "nothing");
  }
  EXPECT_GE(scrolled, 2);  // the filter and criteria pages need more than the smallest window
}

// Answers the next file dialog with `path`, typed and confirmed with Return, after choosing
// the name filter that begins with `type`.
void AnswerFileDialog(const QString& type, const std::string& path) {
  testing::OnModal([](QDialog* d) { return qobject_cast<QFileDialog*>(d) != nullptr; },
                   [=](QDialog* d) {
                     auto* dialog = static_cast<QFileDialog*>(d);
                     for (const QString& filter : dialog->nameFilters())
                       if (filter.startsWith(type)) dialog->selectNameFilter(filter);
                     auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                     if (!edit) return dialog->reject();
                     edit->setText(QString::fromStdString(path));
                     QTest::keyClick(edit, Qt::Key_Return);
                   });
}

void ExportTo(Window& w, const QString& type, const std::string& path) {
  AnswerFileDialog(type, path);
  w.frame.action(kCmdExportResults)->trigger();
}

TEST_F(SearchingWindow, ExportEachFormatReadsBackWithEveryHostileName) {
  for (const char* name :
       {"plain.txt", "a<b>&c.txt", "say \"hi\", 'you'.txt", "two\nlines.txt", "bad\xff\xfe.bin"}) {
    tree.File(std::string("one/") + name, 1234, 60);
    tree.File(std::string("two/") + name, 1234, 60);
  }
  // A third name of one of the files: both front ends count its bytes once.
  tree.Folder("three");
  ASSERT_EQ(::link(tree.Path("one/plain.txt").c_str(), tree.Path("three/plain.txt").c_str()), 0);
  places.Folder("out");
  QAction* exportAction = w.frame.action(kCmdExportResults);
  EXPECT_FALSE(exportAction->isEnabled());  // nothing to export before a search
  ASSERT_TRUE(w.Search(tree.root()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return exportAction->isEnabled(); }, 20000));

  // The same bytes as twinfold-cli prints for the same tree.
  for (const char* format : {"csv", "json"}) {
    const std::string path = places.Path(std::string("out/groups.") + format);
    ExportTo(w, QString::fromLatin1(format).toUpper(), path);
    QProcess cli;
    cli.start(QStringLiteral(TF_TWINFOLD_CLI_PROGRAM),
              {QStringLiteral("--format"), QString::fromLatin1(format),
               QString::fromStdString(tree.root())});
    ASSERT_TRUE(cli.waitForFinished(20000));
    EXPECT_EQ(cli.exitCode(), 0);
    // JSON opens with the header of its search (its time, the descriptor): the groups after
    // it are the same bytes.
    std::string exported = testing::ReadFile(path),
                printed = cli.readAllStandardOutput().toStdString();
    if (exported.starts_with("{\"format\":\"twinfold-results\",")) {
      exported.erase(1, exported.find("\"groups\"") - 1);
      printed.erase(1, printed.find("\"groups\"") - 1);
    }
    EXPECT_EQ(exported, printed) << format;
  }
  EXPECT_NE(testing::ReadFile(places.Path("out/groups.json")).find("\"size\":2468,"),
            std::string::npos);

  const std::string htmlPath = places.Path("out/report");
  ExportTo(w, QStringLiteral("HTML"), htmlPath);
  const std::string html = testing::ReadFile(htmlPath + ".html");  // the type gave the suffix
  ASSERT_FALSE(html.empty());
  QXmlStreamReader xml(QByteArray::fromStdString(html));
  std::multiset<QString> shownPaths;
  QString totals;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    for (const char* outside : {"script", "img", "link"})
      EXPECT_NE(xml.name(), QLatin1String(outside));
    const QString cls = xml.attributes().value(QStringLiteral("class")).toString();
    if (cls == QStringLiteral("path")) shownPaths.insert(xml.readElementText());
    if (cls == QStringLiteral("totals")) totals = xml.readElementText();
  }
  ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_TRUE(totals.startsWith(QStringLiteral("5 groups, 11 files,"))) << totals.toStdString();
  const QString root = QString::fromStdString(tree.root());
  for (const char* shown :
       {"a<b>&c.txt", "say \"hi\", 'you'.txt", "two\u240Alines.txt", "bad\uFFFD\uFFFD.bin"})
    EXPECT_EQ(shownPaths.count(root + "/one/" + QString::fromUtf8(shown)), 1u) << shown;
  EXPECT_EQ(shownPaths.size(), 11u);
}

TEST_F(SearchingWindow, SelectMenuHelpersThenDeleteTrashesTheSelection) {
  tree.File("one/a.txt", 10, 100);
  tree.File("two/a.txt", 10, 200);
  tree.File("three/a.txt", 10, 50);
  tree.File("one/b.txt", 20, 300);
  ASSERT_EQ(::link(tree.Path("one/b.txt").c_str(), tree.Path("two/b.txt").c_str()), 0);
  tree.File("three/b.txt", 20, 10);
  DuplicateCriteria anyTime = w.controller.shell()->Descriptor()->Criteria();
  anyTime.sameTime = false;  // the copies group
  w.controller.shell()->Descriptor()->SetCriteria(anyTime, true);
  w.frame.show();
  ASSERT_TRUE(w.Search(tree.root()));
  QAction* newest = w.frame.action(kCmdSelectAllButNewest);
  ASSERT_TRUE(QTest::qWaitFor([&] { return newest->isEnabled(); }, 20000));

  ResultsPane* pane = w.controller.resultsPane();
  newest->trigger();
  EXPECT_EQ(testing::SelectedPaths(pane->separateView()->filesList()),
            (Paths{tree.Path("one/a.txt"), tree.Path("three/a.txt")}));

  pane->SetMode(ResultsPane::kUnifiedMode);
  w.questions.folders = {tree.Path("one")};
  w.frame.action(kCmdSelectAllInFolder)->trigger();
  QTableView* list = pane->unifiedView()->list();
  const Paths chosen{tree.Path("one/a.txt"), tree.Path("one/b.txt")};
  EXPECT_EQ(testing::SelectedPaths(list), chosen);
  w.questions.answers.assign(chosen.size(), IDYES);
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Delete);
  EXPECT_EQ(testing::TrashedFrom(tree.root()), chosen);
  EXPECT_TRUE(fs::exists(tree.Path("two/b.txt")));
}

// Saved, the window closed, a new one started: the opened result is the search's again.
TEST_F(SearchingWindow, SavedResultsOpenInANewWindowAndTheirFilesCanBeDeleted) {
  tree.File("one/a.txt", 10, 100);
  tree.File("two/a.txt", 10, 100);
  tree.File("three/a.txt", 10, 100);
  tree.File("one/b.txt", 20, 300);
  ASSERT_EQ(::link(tree.Path("one/b.txt").c_str(), tree.Path("two/b.txt").c_str()), 0);
  tree.File("one/c.txt", 5);
  tree.File("two/c.txt", 5);
  places.Folder("out");
  QAction* save = w.frame.action(kCmdSaveResults);
  EXPECT_FALSE(save->isEnabled());
  ASSERT_TRUE(w.Search(tree.root()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return save->isEnabled(); }, 20000));
  AnswerFileDialog(QStringLiteral("Twinfold"), places.Path("out/found"));
  save->trigger();
  const std::string saved = places.Path("out/found.twinfold.json");  // the suggested ending
  ASSERT_TRUE(fs::is_regular_file(saved));
  w.frame.close();
  fs::resize_file(tree.Path("two/c.txt"), 6);  // changed since: left out, and so its group

  Window again(places);
  ASSERT_TRUE(again.started);
  again.controller.searchHost()->ChangeIncludeFolder(false, tree.root());
  again.frame.show();
  AnswerFileDialog(QStringLiteral("Twinfold"), saved);
  again.frame.action(kCmdOpenResults)->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return again.status() == "Finished (5 files found)"; }, 20000))
      << again.status();
  EXPECT_EQ(GroupKeys(again), (Names{"a.txt", "b.txt"}));
  ASSERT_EQ(again.questions.asked.size(), 1u);
  EXPECT_NE(again.questions.asked[0].text.find(tree.Path("two/c.txt")), std::string::npos);
  EXPECT_EQ(IncludePaths(again.controller.shell()->Descriptor()->Root()),
            std::vector<std::string>{tree.root()});
  // The two names of one file are known as such again, the other files as single names.
  const HardLinks* links = again.controller.shell()->Search().HardLinkSets();
  ASSERT_NE(links, nullptr);
  std::map<std::string, uint32_t> sets;
  for (const DataNode* g = again.controller.shell()->Search().GroupsRoot()->FirstChild(); g;
       g = g->Next())
    for (const DataNode* f = g->FirstChild(); f; f = f->Next())
      sets[FullName(f).substr(tree.root().size() + 1)] = links->SetOf(f);
  EXPECT_EQ(sets, (std::map<std::string, uint32_t>{{"one/a.txt", 0},
                                                   {"two/a.txt", 0},
                                                   {"three/a.txt", 0},
                                                   {"one/b.txt", 1},
                                                   {"two/b.txt", 1}}));

  ResultsPane* pane = again.controller.resultsPane();
  pane->SetMode(ResultsPane::kUnifiedMode);
  QTableView* list = pane->unifiedView()->list();
  ASSERT_TRUE(testing::ClickRow(list, tree.Path("one/a.txt")));
  again.questions.answers = {IDYES};
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Delete);
  EXPECT_EQ(testing::TrashedFrom(tree.root()), (std::set<std::string>{tree.Path("one/a.txt")}));
  EXPECT_EQ(again.status(), "Finished (5 files found)");
  EXPECT_EQ(GroupKeys(again), (Names{"a.txt", "b.txt"}));

  // A file that is no results file is refused with its reason; the lists stay.
  tf::testing::WriteFile(places.Path("out/junk.twinfold.json"), "{\"groups\":[");
  again.questions.asked.clear();
  EXPECT_FALSE(again.controller.OpenResultsFile(places.Path("out/junk.twinfold.json")));
  ASSERT_EQ(again.questions.asked.size(), 1u);
  EXPECT_NE(again.questions.asked[0].text.find("not a results file"), std::string::npos);
  EXPECT_EQ(GroupKeys(again), (Names{"a.txt", "b.txt"}));

  // What an older version wrote, without the header: shown, but nothing in it is acted on
  // and it cannot be saved as a complete record, until a search replaces it.
  const std::string whole = tf::testing::ReadFile(saved);
  const std::string older = places.Path("out/older.json");
  tf::testing::WriteFile(older, "{" + whole.substr(whole.rfind("\"groups\":")));
  again.questions.asked.clear();
  ASSERT_TRUE(again.controller.OpenResultsFile(older));
  pane->SetMode(ResultsPane::kSeparateMode);
  EXPECT_EQ(GroupKeys(again), (Names{"a.txt", "b.txt"}));
  ASSERT_EQ(again.questions.asked.size(), 1u);
  EXPECT_NE(again.questions.asked[0].text.find("does not say which search"), std::string::npos);
  EXPECT_NE(again.questions.asked[0].text.find(tree.Path("two/c.txt")), std::string::npos);
  EXPECT_FALSE(again.frame.action(kCmdSaveResults)->isEnabled());
  pane->SetMode(ResultsPane::kUnifiedMode);
  list = pane->unifiedView()->list();
  ASSERT_TRUE(testing::ClickRow(list, tree.Path("two/a.txt")));
  again.questions.asked.clear();
  again.questions.answers = {IDYES};
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Delete);
  ASSERT_EQ(again.questions.asked.size(), 1u);
  EXPECT_EQ(again.questions.asked[0].caption, kReadOnlyCaption);
  EXPECT_TRUE(fs::exists(tree.Path("two/a.txt")));
  EXPECT_EQ(testing::TrashedFrom(tree.root()), (std::set<std::string>{tree.Path("one/a.txt")}));
}

TEST_F(SearchingWindow, FoldersOfTheCommandLineJoinTheListAndSearch) {
  tree.File("one/a.txt", 10);
  tree.File("two/a.txt", 10);
  w.controller.OpenFromCommandLine({tree.Path("one"), tree.Path("none"), tree.Path("two")}, true);
  EXPECT_EQ(IncludePaths(w.controller.shell()->Descriptor()->Root()),
            (std::vector<std::string>{tree.Path("one"), tree.Path("two")}));
  ASSERT_TRUE(w.Finished());
  EXPECT_EQ(GroupKeys(w), (Names{"a.txt"}));
}

}  // namespace
}  // namespace tf