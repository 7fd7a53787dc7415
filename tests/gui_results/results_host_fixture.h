// A scripted program around the results pane over real files, the real trash and zip
// plug-in; opening, browsing, tools and properties recorded.
#pragma once

#include <gtest/gtest.h>

#include <QHeaderView>

#include <map>

#include "app/results_host.h"
#include "duplicates/run_result.h"
#include "platform/file_time.h"
#include "platform/path_status.h"
#include "platform/zip_plugin.h"
#include "results/backup_store.h"
#include "results/links_history.h"
#include "scan/folder_list.h"
#include "tests/backup/backup_test_support.h"
#include "tests/gui_results/file_listing.h"
#include "tests/support/scripted_questions.h"
#include "ui/result_views/results_pane.h"
#include "ui/result_views/separate_lists_view.h"
#include "ui/result_views/unified_list_view.h"
#include "ui/window/gui_thread_questions.h"
#include "ui/window/progress_file_shell.h"

namespace tf::testing {

class RecordingShell : public ProgressFileShell {
 public:
  using ProgressFileShell::ProgressFileShell;
  bool OpenFile(const std::string& path, const std::string&) override {
    opened.push_back(path);
    return true;
  }
  bool ShowFolder(const std::string& path, const std::string&, bool) override {
    browsed.push_back(path);
    return true;
  }
  bool Trash(const std::string& path, bool confirm) override {
    ++trashCalls;
    const bool done = ProgressFileShell::Trash(path, confirm);
    if (afterWork) afterWork();
    return done;
  }
  bool MoveOrCopy(bool move, const std::string& from, const std::string& to) override {
    const bool done = ProgressFileShell::MoveOrCopy(move, from, to);
    if (afterWork) afterWork();
    return done;
  }
  std::vector<std::string> opened, browsed;
  int trashCalls = 0;
  std::function<void()> afterWork;  // runs at the end of every trash, move and copy
};

class ScriptedHost : public ResultsHost {
 public:
  ScriptedHost() {
    PrivateTrashHome();  // the trash must land in a folder of the tests' own
    std::filesystem::create_directories(dir + "/Backup");
    zip.Probe();
    store.SetFolder(dir + "/Backup");
    store.SetBrowseHook([this](const std::string& folder) {
      browsedBackup.push_back(folder);
      return true;
    });
  }
  // Writes the files (relative path -> size) and groups them by exact name.
  void Search(const std::vector<std::pair<std::string, int>>& files) {
    DuplicateCriteria settings;
    settings.sameTime = settings.sameSize = false;
    auto index = std::make_unique<DuplicateIndex>();
    index->Configure(settings);
    for (const auto& [relative, size] : files) {
      const std::filesystem::path path = dir + "/" + relative;
      std::filesystem::create_directories(path.parent_path());
      std::filesystem::remove(path);
      if (linkTo.count(relative))
        ::link(this->path(linkTo[relative]).c_str(), path.c_str());
      else
        std::ofstream(path, std::ios::binary) << std::string(static_cast<size_t>(size), 'x');
      const int64_t modified =
          times.count(relative) ? times[relative] : 130000000000000000LL + size;
      const std::timespec stamps[2] = {TimespecFromFileTime(modified),
                                       TimespecFromFileTime(modified)};
      utimensat(AT_FDCWD, path.c_str(), stamps, 0);
      index->AddFile(path.parent_path().string() + "/", path.filename().string(), size, modified);
    }
    hardLinks.Clear();
    result.Clear();
    result.Merge(index);
    result.Finalise(settings, {});
    ++generation;
    hardLinks.Build(result.Root(), [](const std::string& path, LinkIdentity* out) {
      FileIdentity identity;
      if (!ReadFileIdentity(path, &identity) || identity.names < 2) return false;
      *out = {identity.device, identity.inode};
      return true;
    });
  }
  std::string path(const std::string& relative) const { return dir + "/" + relative; }

  DataNode* GroupsRoot() override { return result.Root(); }
  uint64_t ResultGeneration() override { return generation; }
  int RemoveFile(DataNode* file) override {
    ++generation;
    hardLinks.BeforeRemove(file);
    return result.RemoveFile(file, true);
  }
  const HardLinks* HardLinkSets() override { return &hardLinks; }
  std::vector<std::string> ToolNames() override { return tools; }
  bool RunTool(int index, const std::vector<std::string>& paths) override {
    ran.push_back(std::to_string(index) + ":" + std::to_string(paths.size()));
    return true;
  }
  bool BackupAvailable() override { return backup; }
  int BrowseMode() override { return 0; }
  bool IsLinkTarget(const std::string&) override { return false; }
  std::string ProtectedFolderOf(const std::string& p) override {
    return ProtectedFolderHolding(protectedFolders, p);
  }
  void ShowProperties(DataNode* info) override { properties.push_back(info->Name()); }
  BackupStore* Backup() override { return backup ? &store : nullptr; }
  LinksHistory* Links() override { return &links; }
  Questions& Ask() override { return guiQuestions; }
  FileShell& Shell() override { return shell; }
  void SetCurrentFile(DataNode* file) override { current = file; }

  TempTree temp;
  std::string dir = temp.root();
  // For the next Search: times and hard links (relative path -> relative path).
  std::map<std::string, int64_t> times;
  std::map<std::string, std::string> linkTo;
  HardLinks hardLinks;
  RunResult result;
  uint64_t generation = 0;
  std::vector<std::string> tools{"Text editor"};
  std::vector<std::string> ran, properties;
  bool backup = false;
  std::vector<std::string> protectedFolders;
  DataNode* current = nullptr;
  ScriptedQuestions questions;
  GuiThreadQuestions guiQuestions{questions};
  RecordingShell shell{guiQuestions};
  ZipPlugin zip{{std::string(TWINFOLD_PLUGIN_DIR) + "/libpacklet.so"}};
  BackupStore store{guiQuestions, &zip};
  LinksHistory links;
  std::vector<std::string> browsedBackup;
};

class ResultsPaneFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    pane.resize(900, 700);
    pane.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
  }

 public:
  // The lists let go of the old tree first.
  void search(const std::vector<std::pair<std::string, int>>& files) {
    pane.OnSearchStarted();
    host.Search(files);
    pane.OnSearchFinished();
  }
  SeparateListsView* separate() { return pane.separateView(); }
  UnifiedListView* unified() { return pane.unifiedView(); }

  static std::vector<std::string> column(const QTableView* list, int col) {
    return Column(list->model(), col);
  }
  static std::vector<int> selected(const QTableView* list) {
    std::vector<int> rows;
    for (const QModelIndex& index : list->selectionModel()->selectedRows())
      rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
  }
  static void click(QTableView* list, int row, Qt::KeyboardModifiers modifiers = {}) {
    list->scrollTo(list->model()->index(row, 0));
    const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, at);
  }
  static void clickPaths(QTableView* list, const std::vector<std::string>& paths) {
    list->clearSelection();
    auto* model = static_cast<ResultRowsModel*>(list->model());
    for (const std::string& path : paths)
      for (int row = 0; row < model->rowCount(); ++row)
        if (path == tf::FullName(model->Node(row))) click(list, row, Qt::ControlModifier);
  }
  static void clickHeader(QTableView* list, int section) {
    QHeaderView* header = list->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
  }
  static void rightClick(QAbstractItemView* list, const QModelIndex& index) {
    RightClick(list, list->visualRect(index).center());
  }

 protected:
  ScriptedHost host;
  ResultsPane pane{host};
};

}  // namespace tf::testing
