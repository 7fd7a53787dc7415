// Times the result lists over a large result: 200,000 groups of 5 files (1,000,000
// files) grouped by the real duplicate index, shown in the real results pane on the
// offscreen platform. Prints the milliseconds of filling each view, re-sorting by every
// column both ways and taking a file out of a group of five and out of a group of two.
// Usage: result_views [GROUPS] [FILES_PER_GROUP]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include <QApplication>
#include <QHeaderView>
#include <QTableView>

#include "app/results_host.h"
#include "base/silent_questions.h"
#include "duplicates/run_result.h"
#include "results/result_rows.h"
#include "ui/result_views/result_rows_model.h"
#include "ui/result_views/results_pane.h"
#include "ui/result_views/separate_lists_view.h"
#include "ui/result_views/unified_list_view.h"

namespace {

using namespace tf;

class BenchHost : public ResultsHost {
 public:
  DataNode* GroupsRoot() override { return result.Root(); }
  uint64_t ResultGeneration() override { return generation; }
  int RemoveFile(DataNode* file) override {
    ++generation;
    return result.RemoveFile(file, true);
  }
  std::vector<std::string> ToolNames() override { return {"Text editor"}; }
  bool RunTool(int, const std::vector<std::string>&) override { return false; }
  bool BackupAvailable() override { return true; }
  int BrowseMode() override { return 0; }
  bool IsLinkTarget(const std::string&) override { return false; }
  void ShowProperties(DataNode*) override {}
  Questions& Ask() override { return questions; }
  FileShell& Shell() override { return shell; }
  void SetCurrentFile(DataNode*) override {}

  RunResult result;
  uint64_t generation = 1;
  SilentQuestions questions{IDNO};
  PlatformFileShell shell{questions};
};

double timeMs(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  QApplication::processEvents();  // the repaint that follows belongs to the operation
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

void clickHeader(QTableView* list, int section) {
  emit list->horizontalHeader()->sectionClicked(section);
}

// Paths of realistic length in a few thousand folders; sizes and times repeat so that the
// sorts meet ties. Every tenth group has two files only; the others make up the count.
void buildResult(BenchHost& host, long groups, int perGroup) {
  DuplicateCriteria criteria;
  criteria.sameTime = criteria.sameSize = false;
  auto index = std::make_unique<DuplicateIndex>();
  index->Configure(criteria);
  const long filesWanted = groups * perGroup;
  long filed = 0;
  for (int copy = 0; filed < filesWanted; ++copy) {
    for (long g = 0; g < groups && filed < filesWanted; ++g) {
      if (copy >= 2 && g % 10 == 0) continue;
      ++filed;
      const std::string folder = "/home/user/Pictures/" + std::to_string(2000 + copy) + "/album" +
                                 std::to_string(g % 4000) + "/";
      const std::string name = "IMG_" + std::to_string(g) + (g % 3 ? ".jpg" : ".png");
      index->AddFile(folder, name, 1000 + (g % 5000) * 37,
                     133000000000000000LL + (g % 977) * 10000000LL + copy);
    }
  }
  host.result.Merge(index);
  host.result.Finalise(criteria, {});
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  const long groups = argc > 1 ? std::atol(argv[1]) : 200000;
  const int perGroup = argc > 2 ? std::atoi(argv[2]) : 5;
  int qtArgc = 1;
  QApplication app(qtArgc, argv);

  BenchHost host;
  const double build = timeMs([&] { buildResult(host, groups, perGroup); });
  std::printf("result of %ld groups, %lld files built in %.0f ms\n", groups,
              static_cast<long long>(host.result.FileCount()), build);

  ResultsPane pane(host);
  pane.resize(1000, 700);
  pane.show();
  QApplication::processEvents();
  SeparateListsView* separate = pane.separateView();
  UnifiedListView* unified = pane.unifiedView();

  std::vector<DataNode*> rows;
  std::printf("unified rows, sorted, core only:    %7.1f ms\n",
              timeMs([&] { rows = SortedUnifiedRows(host.GroupsRoot(), kSortByVal); }));
  std::printf("unified rows re-sorted, core only:  %7.1f ms\n",
              timeMs([&] { SortRows(ResultList::kUnified, kSortByName, &rows); }));
  std::printf("fill separate lists (groups list):  %7.1f ms\n",
              timeMs([&] { separate->Fill(std::string()); }));
  std::printf("fill unified list:                  %7.1f ms\n",
              timeMs([&] { unified->Fill(std::string()); }));

  const char* groupColumns[] = {"File", "Type", "##", "Size w/dup"};
  for (int column : {1, 2, 3, 0}) {
    for (int direction = 0; direction < 2; ++direction)
      std::printf("sort groups list by %-10s (%s): %7.1f ms\n", groupColumns[column],
                  direction ? "reversed" : "normal  ",
                  timeMs([&] { clickHeader(separate->groupsList(), column); }));
  }
  pane.SetMode(ResultsPane::kUnifiedMode);
  QApplication::processEvents();
  for (int column : {1, 0}) {
    for (int direction = 0; direction < 2; ++direction)
      std::printf("sort unified list by %-4s (%s):     %7.1f ms\n", column ? "Size" : "File",
                  direction ? "reversed" : "normal  ",
                  timeMs([&] { clickHeader(unified->list(), column); }));
  }

  // A file of a large group (which stays), then one of a group of two (which goes).
  const auto removeFrom = [&](ResultView view, DataNode* group) {
    const std::string path = FullName(group->FirstChild());
    const long long files = group->val2;
    const double ms = timeMs([&] { pane.RemoveFileFromResults(view, path); });
    std::printf("remove from a group of %lld (%s): %7.1f ms\n", files,
                view == ResultView::kUnified ? "unified" : "separate", ms);
  };
  const auto groupOf = [&](int64_t files) {
    DataNode* group = host.result.Root()->FirstChild();
    while (group && (group->val2 == 2) != (files == 2)) group = group->Next();
    return group;
  };
  removeFrom(ResultView::kUnified, groupOf(perGroup));
  removeFrom(ResultView::kUnified, groupOf(2));
  pane.SetMode(ResultsPane::kSeparateMode);  // refills: the tree changed
  QApplication::processEvents();
  for (int64_t files : {int64_t{perGroup}, int64_t{2}}) {
    separate->Fill(groupOf(files)->Name());
    removeFrom(ResultView::kSeparate, separate->selectedGroup());
  }
  std::printf("rows: groups list %d, unified list %d\n", separate->groupsModel()->rowCount(),
              unified->model()->rowCount());
  return 0;
}
