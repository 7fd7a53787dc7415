// A search over some 300,000 files must leave the event loop turning, and "Stop" must
// answer at once: the workers walk the folders, the ticks only poll.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>

#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "main_window_support.h"
#include "search/search_descriptor.h"
#include "tests/support/private_trash.h"
#include "tests/support/timed.h"
#include "ui/result_rows_model.h"
#include "ui/results_pane.h"
#include "ui/unified_list_view.h"
#include "ui/window_search_host.h"

namespace tf {
namespace {

using testing::TempTree;
using testing::Window;

constexpr int kFolders = 300;
constexpr int kFilesPerFolder = 1000;
constexpr qint64 kLongestStallMs = 200;
using testing::kTimed;

// Empty files, a thousand to a folder; the same names recur in every folder. The files
// of a folder are hard links to one seed file (a file system allows only so many links
// to one file): a link is only a name, so the tree takes a second or two to make where
// creating 300,000 files takes a minute.
bool MakeBigTree(const TempTree& tree, const TempTree& seeds) {
  for (int f = 0; f < kFolders; ++f) {
    const std::string seed = seeds.Path("seed" + std::to_string(f));
    const int fd = open(seed.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    close(fd);
    const std::string folder = tree.Path("d" + std::to_string(f));
    if (mkdir(folder.c_str(), 0755) != 0) return false;
    for (int i = 0; i < kFilesPerFolder; ++i) {
      const std::string file = folder + "/file" + std::to_string(i) + ".dat";
      if (link(seed.c_str(), file.c_str()) != 0) return false;
    }
  }
  return true;
}

// The longest time between two turns of the event loop while it is being watched, and
// what `where` said right after it.
class StallMeter {
 public:
  explicit StallMeter(std::function<std::string()> where) {
    m_timer.setInterval(5);
    QObject::connect(&m_timer, &QTimer::timeout, [this, where] {
      const qint64 now = m_clock.elapsed();
      if (now - m_last > m_longest) {
        m_longest = now - m_last;
        m_where = where();
      }
      m_last = now;
    });
    m_clock.start();
    m_timer.start();
  }
  qint64 longest() const { return m_longest; }
  const std::string& where() const { return m_where; }

 private:
  QTimer m_timer;
  QElapsedTimer m_clock;
  qint64 m_last = 0;
  qint64 m_longest = 0;
  std::string m_where;
};

TEST(MainWindowResponsiveness, BigSearchKeepsTheLoopTurningAndStopsAtOnce) {
  if (!kTimed) GTEST_SKIP() << "timings under the sanitizers say nothing";
  TempTree places;
  TempTree tree;
  ASSERT_TRUE(MakeBigTree(tree, places));
  Window w(places);
  ASSERT_TRUE(w.started);
  w.controller.searchHost()->ChangeIncludeFolder(true, tree.root());
  // Any time: every name makes one group of all its files.
  w.controller.searchHost()->Descriptor().SetTime(kAnyValue, false);
  QPushButton* start = w.controller.searchBar()->startButton();
  QPushButton* stop = w.controller.searchBar()->stopButton();

  QElapsedTimer took;
  took.start();
  qint64 longest = 0;
  std::string where;
  {
    StallMeter meter([&] { return w.status(); });
    QTest::mouseClick(start, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.status().rfind("Finished", 0) == 0; }, 60000));
    QTest::qWait(100);  // the turn after the last tick counts too
    longest = meter.longest();
    where = meter.where();
  }
  const qint64 searchMs = took.elapsed();
  EXPECT_EQ(w.status(), "Finished (300000 files found)");
  EXPECT_LT(longest, kLongestStallMs)
      << "the longest stall ended at \"" << where << "\"; the search took " << searchMs << " ms";

  // Stopped a third of the way through (but at least after the first walk began).
  QTest::mouseClick(start, Qt::LeftButton);
  ASSERT_TRUE(stop->isEnabled());
  QTest::qWait(static_cast<int>(std::clamp<qint64>(searchMs / 3, 100, 1000)));
  ASSERT_TRUE(stop->isEnabled()) << "the search ended before it could be stopped";
  took.restart();
  QTest::mouseClick(stop, Qt::LeftButton);
  EXPECT_LT(took.elapsed(), kLongestStallMs);
  EXPECT_EQ(w.status(), "Stopped");
  EXPECT_FALSE(stop->isEnabled());
  EXPECT_TRUE(start->isEnabled());
}

// Ten thousand selected files go to the real trash one after another beside the window,
// which keeps repainting; the lists take the removals in at the end, once.
TEST(MainWindowResponsiveness, DeletingTenThousandFilesKeepsTheLoopTurningAndRefillsOnce) {
  if (!kTimed) GTEST_SKIP() << "timings under the sanitizers say nothing";
  testing::PrivateTrashHome();
  constexpr int kGroups = 10000;
  TempTree places;
  TempTree tree;
  for (const char* side : {"keep", "drop"}) {
    const std::string folder = tree.Path(side);
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    for (int i = 0; i < kGroups; ++i) {
      const std::string file = folder + "/file" + std::to_string(i) + ".dat";
      const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
      ASSERT_GE(fd, 0);
      close(fd);
    }
  }
  Window w(places);
  ASSERT_TRUE(w.started);
  w.controller.searchHost()->ChangeIncludeFolder(true, tree.root());
  w.controller.searchHost()->Descriptor().SetTime(kAnyValue, false);
  QTest::mouseClick(w.controller.searchBar()->startButton(), Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.status().rfind("Finished", 0) == 0; }, 60000));

  ResultsPane* pane = w.controller.resultsPane();
  pane->SetMode(1);
  UnifiedListView* view = pane->unifiedView();
  QTableView* list = view->list();
  ResultRowsModel* model = view->model();
  ASSERT_EQ(model->rowCount(), 3 * kGroups);
  QItemSelection drop;
  const std::string dropped = tree.Path("drop") + "/";
  for (int row = 0; row < model->rowCount(); ++row)
    if (tf::FullName(model->Node(row)).rfind(dropped, 0) == 0)
      drop.select(model->index(row, 0), model->index(row, model->columnCount() - 1));
  list->selectionModel()->select(drop, QItemSelectionModel::ClearAndSelect);
  int resets = 0;
  QObject::connect(model, &QAbstractItemModel::modelReset, [&] { ++resets; });
  w.questions.answers = {IDYES};  // the one question for all of them

  QElapsedTimer took;
  took.start();
  qint64 longest = 0;
  {
    StallMeter meter([] { return std::string(); });
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Delete);
    QTest::qWait(50);
    longest = meter.longest();
  }
  std::printf("deleted %d files in %lld ms; longest stall %lld ms\n", kGroups,
              static_cast<long long>(took.elapsed()), static_cast<long long>(longest));
  ASSERT_EQ(w.questions.asked.size(), 1u);
  EXPECT_EQ(model->rowCount(), 0);  // every group went with its second file
  struct stat gone {};
  EXPECT_NE(stat((dropped + "file0.dat").c_str(), &gone), 0);
  EXPECT_EQ(stat((tree.Path("keep") + "/file0.dat").c_str(), &gone), 0);
  EXPECT_LT(longest, kLongestStallMs);
  // Dropping the rows and refilling: the list is reset twice for the whole delete.
  EXPECT_LE(resets, 2);
}

}  // namespace
}  // namespace tf
