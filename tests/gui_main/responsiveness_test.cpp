// A search over some 300,000 files must leave the event loop turning, and "Stop" must
// answer at once: the workers walk the folders, the ticks only poll.
#include <gtest/gtest.h>

#include <filesystem>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QProcess>

#include "main_window_support.h"
#include "search/search_descriptor.h"
#include "tests/support/timed.h"
#include "ui/result_views/unified_list_view.h"

namespace tf {
namespace {

using testing::TempTree;
using testing::Window;

constexpr qint64 kLongestStallMs = 200;
using testing::kTimed;

// Empty files "file<i>.dat" in each folder; given `seeds`, hard links to a new seed there
// every 50,000 names (the file systems' bound on links per file): 300,000 files take
// seconds to make where creating them takes a minute.
bool MakeTree(const TempTree& tree, const std::vector<std::string>& folders, int perFolder,
              const TempTree* seeds = nullptr) {
  const auto make = [](const std::string& path) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    return fd >= 0 && close(fd) == 0;
  };
  for (const std::string& name : folders) {
    const std::string folder = tree.Path(name);
    if (mkdir(folder.c_str(), 0755) != 0) return false;
    std::string seed;
    for (int i = 0; i < perFolder; ++i) {
      const std::string file = folder + "/file" + std::to_string(i) + ".dat";
      if (seeds && i % 50000 == 0 && !make(seed = seeds->Path(name + std::to_string(i))))
        return false;
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

// One folder of 200,000 names whose first five symbols mostly repeat, so that its listing
// reads the details of nearly every file: a long listing of one folder, which Stop must
// interrupt between two batches rather than at its end.
constexpr int kBigFolderFiles = 200000;
bool MakeBigFolder(const TempTree& tree, const TempTree& seeds) {
  return MakeTree(tree, {"big"}, kBigFolderFiles, &seeds);
}

DuplicateCriteria FirstFiveSymbols() {
  DuplicateCriteria criteria;
  criteria.name = NameRule::kFirstSymbols;
  criteria.symbols = 5;
  return criteria;
}

TEST(MainWindowResponsiveness, StopIsAnsweredInsideTheListingOfAHugeFolder) {
  if (!kTimed) GTEST_SKIP() << "timings under the sanitizers say nothing";
  TempTree places;
  TempTree tree;
  ASSERT_TRUE(MakeBigFolder(tree, places));
  Window w(places);
  ASSERT_TRUE(w.started);
  w.controller.searchHost()->ChangeIncludeFolder(true, tree.Path("big"));
  w.controller.searchHost()->Descriptor().SetCriteria(FirstFiveSymbols(), false);
  QPushButton* start = w.controller.searchBar()->startButton();
  QPushButton* stop = w.controller.searchBar()->stopButton();
  QTest::mouseClick(start, Qt::LeftButton);
  const SearchRun* run = w.controller.shell()->Search().Run();
  ASSERT_NE(run, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !run->Scans().empty(); }, 20000));
  const FolderScan& scan = *run->Scans()[0];
  // Well into the one folder's listing, and far from its end.
  ASSERT_TRUE(QTest::qWaitFor([&] { return scan.filesFound() >= 1000; }, 20000));
  if (scan.state() != FolderScan::kRunning) GTEST_SKIP() << "the listing ended before Stop";
  QElapsedTimer took;
  took.start();
  QTest::mouseClick(stop, Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return scan.state() == FolderScan::kStopped; }, 5000));
  EXPECT_LT(took.elapsed(), 100) << "after " << scan.filesFound() << " files";
  EXPECT_LT(scan.filesFound(), kBigFolderFiles);
  EXPECT_EQ(w.status(), "Stopped");
  EXPECT_TRUE(start->isEnabled());
}

// twinfold-cli stopped by SIGINT or SIGTERM in the same listing: it ends within 0.3 s with
// 128 + the signal and prints nothing of what it had found.
TEST(CliResponsiveness, SignalsStopTheSearchInsideTheListingOfAHugeFolder) {
  if (!kTimed) GTEST_SKIP() << "timings under the sanitizers say nothing";
  TempTree places;
  TempTree tree;
  ASSERT_TRUE(MakeBigFolder(tree, places));
  const QStringList arguments{"--name",
                              "first",
                              "--symbols",
                              "5",
                              "--format",
                              "json",
                              QString::fromStdString(tree.Path("big"))};
  QProcess whole;
  QElapsedTimer took;
  took.start();
  whole.start(TF_TWINFOLD_CLI_PROGRAM, arguments);
  ASSERT_TRUE(whole.waitForFinished(60000));
  ASSERT_EQ(whole.exitCode(), 0) << whole.readAllStandardError().toStdString();
  const qint64 searchMs = took.elapsed();
  for (const int signal : {SIGINT, SIGTERM}) {
    QProcess cli;
    // The signal goes once the walk's thread is there: before that, the program has not
    // yet taken the signals over, and a busy machine would find it still starting.
    cli.start(TF_TWINFOLD_CLI_PROGRAM, arguments);
    ASSERT_TRUE(cli.waitForStarted());
    const std::string tasks = "/proc/" + std::to_string(cli.processId()) + "/task";
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          std::error_code error;
          return std::distance(std::filesystem::directory_iterator(tasks, error), {}) >= 2;
        },
        20000));
    QTest::qWait(static_cast<int>(searchMs / 4));
    took.restart();
    ::kill(static_cast<pid_t>(cli.processId()), signal);
    ASSERT_TRUE(cli.waitForFinished(5000));
    EXPECT_LT(took.elapsed(), 300) << "signal " << signal << ", search " << searchMs << " ms";
    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit) << signal;
    EXPECT_EQ(cli.exitCode(), 128 + signal);
    EXPECT_EQ(cli.readAllStandardOutput().size(), 0);
    EXPECT_TRUE(cli.readAllStandardError().contains("stopped"));
  }
}

}  // namespace
}  // namespace tf
