// A search over some 300,000 files must leave the event loop turning, and "Stop" must
// answer at once: the workers walk the folders, the ticks only poll.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <QElapsedTimer>
#include <QTimer>

#include "main_window_support.h"
#include "search/search_descriptor.h"
#include "tests/support/private_trash.h"
#include "tests/support/timed.h"
#include "ui/result_views/result_rows_model.h"
#include "ui/result_views/results_pane.h"
#include "ui/result_views/unified_list_view.h"

namespace tf {
namespace {

using testing::TempTree;
using testing::Window;

constexpr qint64 kLongestStallMs = 200;
using testing::kTimed;

// Hard links to a seed per folder (links per file are limited): 300,000 files take
// seconds to make where creating them takes a minute.
bool MakeTree(const TempTree& tree, const std::vector<std::string>& folders, int perFolder,
              const TempTree* seeds = nullptr) {
  for (const std::string& name : folders) {
    const std::string folder = tree.Path(name), seed = seeds ? seeds->Path(name) : "";
    const auto make = [](const std::string& path) {
      const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
      return fd >= 0 && close(fd) == 0;
    };
    if (mkdir(folder.c_str(), 0755) != 0 || (seeds && !make(seed))) return false;
    for (int i = 0; i < perFolder; ++i) {
      const std::string file = folder + "/file" + std::to_string(i) + ".dat";
      if (!(seeds ? link(seed.c_str(), file.c_str()) == 0 : make(file))) return false;
    }
  }
  return true;
}

struct StallMeter {
  explicit StallMeter(std::function<std::string()> where = [] { return std::string(); }) {
    QObject::connect(&timer, &QTimer::timeout, [this, where] {
      if (clock.elapsed() - last > longest) {
        longest = clock.elapsed() - last;
        said = where();
      }
      last = clock.elapsed();
    });
    clock.start();
    timer.start(5);
  }
  QTimer timer;
  QElapsedTimer clock;
  qint64 last = 0, longest = 0;
  std::string said;
};

void SearchIn(Window& w, const TempTree& tree) {
  w.controller.searchHost()->ChangeIncludeFolder(true, tree.root());
  DuplicateCriteria anyTime;
  anyTime.sameTime = false;
  w.controller.searchHost()->Descriptor().SetCriteria(anyTime, false);
}

TEST(MainWindowResponsiveness, BigSearchKeepsTheLoopTurningAndStopsAtOnce) {
  if (!kTimed) GTEST_SKIP() << "timings under the sanitizers say nothing";
  TempTree places;
  TempTree tree;
  std::vector<std::string> folders;
  for (int f = 0; f < 300; ++f) folders.push_back("d" + std::to_string(f));
  ASSERT_TRUE(MakeTree(tree, folders, 1000, &places));
  Window w(places);
  ASSERT_TRUE(w.started);
  SearchIn(w, tree);
  QPushButton* start = w.controller.searchBar()->startButton();
  QPushButton* stop = w.controller.searchBar()->stopButton();

  QElapsedTimer took;
  took.start();
  StallMeter meter([&] { return w.status(); });
  QTest::mouseClick(start, Qt::LeftButton);
  ASSERT_TRUE(w.Finished(60000));
  QTest::qWait(100);  // the turn after the last tick counts too
  meter.timer.stop();
  const qint64 searchMs = took.elapsed();
  EXPECT_EQ(w.status(), "Finished (300000 files found)");
  EXPECT_LT(meter.longest, kLongestStallMs) << "the longest stall ended at \"" << meter.said
                                            << "\"; the search took " << searchMs << " ms";

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

TEST(MainWindowResponsiveness, DeletingTenThousandFilesKeepsTheLoopTurningAndRefillsOnce) {
  if (!kTimed) GTEST_SKIP() << "timings under the sanitizers say nothing";
  testing::PrivateTrashHome();
  constexpr int kGroups = 10000;
  TempTree places;
  TempTree tree;
  ASSERT_TRUE(MakeTree(tree, {"keep", "drop"}, kGroups));
  Window w(places);
  ASSERT_TRUE(w.started);
  SearchIn(w, tree);
  ASSERT_TRUE(w.Search({}, 60000));

  ResultsPane* pane = w.controller.resultsPane();
  pane->SetMode(1);
  QTableView* list = pane->unifiedView()->list();
  ResultRowsModel* model = pane->unifiedView()->model();
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

  StallMeter meter;
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Delete);
  QTest::qWait(50);
  meter.timer.stop();
  ASSERT_EQ(w.questions.asked.size(), 1u);
  EXPECT_EQ(model->rowCount(), 0);  // every group went with its second file
  EXPECT_FALSE(std::filesystem::exists(dropped + "file0.dat"));
  EXPECT_TRUE(std::filesystem::exists(tree.Path("keep/file0.dat")));
  EXPECT_LT(meter.longest, kLongestStallMs);
  EXPECT_LE(resets, 2);
}

}  // namespace
}  // namespace tf
