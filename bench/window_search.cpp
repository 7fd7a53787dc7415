// twinfold-bench-window: times the window program's search. The real main controller is
// built on the offscreen platform with a settings file of its own, the folders are put in
// its include list, the criteria on its descriptor, and the search is started by clicking
// "Start search"; the event loop runs until the finished search has been handed to the
// result lists. Each round starts the search again, as the button does.
//
//   twinfold-bench-window [--runs N] [--warmup N] [--name exact|noext|first] [--symbols N]
//                         [--time same|any] [--size same|any] [--json FILE]
//                         [--stop-after SECONDS] FOLDER...
//
// Prints one line per timed round ("round 1: 1234 groups, 5678 files, 1.234 s") and then
// "mean 1.234 s"; --json writes the groups of the last round as `twinfold-cli --format json`
// prints them. With --stop-after, "Stop" is clicked that long after the start instead, and
// each round says how long the click took to return and how long until the groups found
// so far were shown.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>

#include "base/questions.h"
#include "base/silent_questions.h"
#include "cli/descriptor_builder.h"
#include "platform/process_memory.h"
#include "results/result_export.h"
#include "search/search_descriptor.h"
#include "search/search_run.h"
#include "ui/shell/main_controller.h"
#include "ui/shell/main_frame.h"
#include "ui/shell/search_bar.h"
#include "ui/shell/window_search_host.h"

namespace {

using namespace tf;

struct Arguments {
  int runs = 1;
  int warmup = 0;
  int name = -1;
  int symbols = 0;
  int time = -1;
  int size = -1;
  std::string json;
  double stopAfter = -1;
  std::vector<std::string> folders;
};

int choice(const char* value, std::initializer_list<const char*> names) {
  int index = 0;
  for (const char* name : names) {
    if (std::strcmp(value, name) == 0) return index;
    ++index;
  }
  return -2;
}

bool parse(int argc, char** argv, Arguments* a) {
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option.rfind("--", 0) != 0) {
      a->folders.push_back(DescriptorBuilder::AbsoluteFolder(option));
      continue;
    }
    if (i + 1 >= argc) return false;
    const char* value = argv[++i];
    if (option == "--runs") {
      a->runs = std::atoi(value);
    } else if (option == "--warmup") {
      a->warmup = std::atoi(value);
    } else if (option == "--name") {
      a->name = choice(value, {"exact", "noext", "first"});
    } else if (option == "--symbols") {
      a->symbols = std::atoi(value);
    } else if (option == "--time") {
      a->time = choice(value, {"same", "any"});
    } else if (option == "--size") {
      a->size = choice(value, {"same", "any"});
    } else if (option == "--json") {
      a->json = value;
    } else if (option == "--stop-after") {
      a->stopAfter = std::atof(value);
    } else {
      return false;
    }
    if (a->name < -1 || a->time < -1 || a->size < -1) return false;
  }
  return a->runs > 0 && a->warmup >= 0 && !a->folders.empty();
}

// The criteria as twinfold-cli applies them: choosing N symbols switches the names to
// "first N symbols" unless a name criterion is given too.
void applyCriteria(const Arguments& a, SearchDescriptor* descriptor) {
  constexpr NameRule kRules[] = {NameRule::kExact, NameRule::kAnyExtension,
                                 NameRule::kFirstSymbols};
  DuplicateCriteria criteria = descriptor->Criteria();
  if (a.symbols) criteria = criteria.WithSymbols(a.symbols);
  if (a.name >= 0) criteria.name = kRules[a.name];
  if (a.time >= 0) criteria.sameTime = a.time == 0;
  if (a.size >= 0) criteria.sameSize = a.size == 0;
  descriptor->SetCriteria(criteria, true);
}

int64_t countGroups(const DataNode* root) {
  int64_t groups = 0;
  for (const DataNode* group = root ? root->FirstChild() : nullptr; group; group = group->Next())
    ++groups;
  return groups;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  tf::ReturnLargeBlocksWhenFreed();
  QApplication app(argc, argv);
  Arguments arguments;
  if (!parse(argc, argv, &arguments)) {
    std::fprintf(stderr,
                 "usage: twinfold-bench-window [--runs N] [--warmup N] [--name exact|noext|first]"
                 " [--symbols N] [--time same|any] [--size same|any] [--json FILE]"
                 " [--stop-after SECONDS] FOLDER...\n");
    return 2;
  }
  QTemporaryDir places;
  if (!places.isValid()) return 1;
  const std::string placesPath = places.path().toStdString();
  SilentQuestions questions(IDNO, stderr);
  ControllerSetup setup;
  setup.places.settingsFile = placesPath + "/twinfold.dat";
  setup.places.defaultBackupFolder = placesPath + "/Backup";
  setup.questions = &questions;
  setup.probeZip = false;
  setup.showWindow = false;
  CMainFrame frame;
  MainController controller;
  if (!controller.Init(&frame, setup)) {
    std::fprintf(stderr, "twinfold-bench-window: the window could not be built\n");
    return 1;
  }
  for (const std::string& folder : arguments.folders)
    controller.searchHost()->ChangeIncludeFolder(true, folder);
  applyCriteria(arguments, controller.shell()->Descriptor());
  controller.UpdateCommandStates();
  QPushButton* start = controller.searchBar()->startButton();
  if (!start->isEnabled()) {
    std::fprintf(stderr, "twinfold-bench-window: no folder to search\n");
    return 1;
  }

  using Clock = std::chrono::steady_clock;
  const auto since = [](Clock::time_point begin) {
    return std::chrono::duration<double>(Clock::now() - begin).count();
  };
  double total = 0;
  for (int round = -arguments.warmup; round < arguments.runs; ++round) {
    const auto begin = Clock::now();
    start->click();
    const SearchRun* run = controller.shell()->Search().Run();
    if (!run) return 1;
    // FinishSearch hands the groups to the lists and leaves the run cancelled; a stopped
    // run shows what it found once its groups are formed.
    double stopSeconds = -1;
    while (run->state() != SearchRun::kCancelled && run->state() != SearchRun::kStopped) {
      if (arguments.stopAfter >= 0 && stopSeconds < 0 && since(begin) >= arguments.stopAfter &&
          run->state() == SearchRun::kRunning) {
        const auto asked = Clock::now();
        controller.searchBar()->stopButton()->click();
        stopSeconds = since(asked);
        continue;
      }
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    const double seconds = since(begin);
    if (round < 0) continue;
    total += seconds;
    std::printf("round %d: %lld groups, %lld files, %.3f s", round + 1,
                static_cast<long long>(countGroups(run->ResultRoot())),
                static_cast<long long>(run->FileCount()), seconds);
    if (stopSeconds >= 0)
      std::printf(" (stop answered in %.3f s, shown %.3f s after the start)", stopSeconds, seconds);
    std::printf("\n");
  }
  std::printf("mean %.3f s\n", total / arguments.runs);
  std::fflush(stdout);

  if (!arguments.json.empty()) {
    std::string error;
    if (!ExportResult(controller.shell()->Search().GroupsRoot(), ExportFormat::kJson,
                      arguments.json, &error)) {
      std::fprintf(stderr, "twinfold-bench-window: %s: %s\n", arguments.json.c_str(),
                   error.c_str());
      return 1;
    }
  }
  controller.Shutdown();
  return 0;
}
