// FolderPage: the search window's page of folders: the folders to scan with the scan
// status of each, the sub-folders left out below the selected one, the commands that
// add and remove them, their recent menus, and folders dropped onto the page.
#pragma once

#include <string>
#include <vector>

#include <QWidget>

class QMenu;
class QPushButton;
class QToolButton;
class QTreeWidget;

namespace tf {

class SearchHost;

class FolderPage : public QWidget {
  Q_OBJECT

 public:
  // Folder changes go through `host`.
  explicit FolderPage(SearchHost& host, QWidget* parent = nullptr);
  ~FolderPage() override;
  FolderPage(const FolderPage&) = delete;
  FolderPage& operator=(const FolderPage&) = delete;

  // Rebuilds the include list from the descriptor (the selection stays on the same path
  // when it is still listed, else moves to the first row) and the exclude list for it.
  void Rebuild();
  // Rebuilds only the exclude list, for the selected include entry.
  void RebuildExcludes();
  // Puts each include folder's scan status into the "Status" column.
  void RefreshStatuses();
  // Empties the "Status" column.
  void ClearStatuses();
  // Copies the include and exclude entries into the lists "scanfolders_inc" and
  // "scanfolders_exc".
  void SaveRecentFolders();

  // The commands of the page.
  void ChooseIncludeFolder();    // "Add folder to search list"
  void ChooseDrive();            // "Add drive to search list"
  void RemoveSelectedInclude();  // "Remove folder from search list"
  void BrowseSelectedInclude();  // "Browse folder"
  void ChooseExcludeFolder();    // "Add folder to exclusion list"
  void RemoveSelectedExclude();  // "Remove folder from exclusion list"
  void ChooseProtectedFolder();  // "Protect folder..."

  // Adds a folder to scan, or a folder to leave out below the selected include entry,
  // as a chooser, a recent menu or a drop would; a path that is no folder beeps. The
  // result of the add (kFolder* of the folder list).
  int AddIncludePath(const std::string& path);
  int AddExcludePath(const std::string& path);
  // Marks a folder to search, or a folder below one, protected, or takes the mark off
  // a protected one after asking (see ToggleProtectedFolder); a path that is no folder
  // beeps. The toggle's result.
  int ToggleProtectedPath(const std::string& path);
  // Handles paths dropped onto the page; `ontoExcludeList` when they fell on the list of
  // folders left out.
  void DropPaths(const std::vector<std::string>& paths, bool ontoExcludeList);

  // The path of the selected include entry, or "".
  std::string SelectedInclude() const;
  std::string SelectedExclude() const;

  // The recent menu of the include (false) or exclude (true) add command, filled anew
  // from its list; triggering an entry adds that folder.
  QMenu* RecentMenu(bool exclude);

  QTreeWidget* includeList() const { return m_includes; }
  QTreeWidget* excludeList() const { return m_excludes; }
  // The command buttons in the order of the comments above (6: "Protect folder...").
  QWidget* commandButton(int index) const;

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void rememberFolder(bool exclude, const std::string& path);
  void fillRecentMenu(bool exclude);
  void recentChosen(bool exclude, int command);
  void selectInclude(const std::string& path);
  // The "Status" text of an include row: the scan status, and whether it is protected.
  QString statusText(const std::string& include, const std::string& scanStatus) const;

  SearchHost& m_host;
  QTreeWidget* m_includes = nullptr;
  QTreeWidget* m_excludes = nullptr;
  QToolButton* m_addInclude = nullptr;
  QPushButton* m_addDrive = nullptr;
  QPushButton* m_removeInclude = nullptr;
  QPushButton* m_browse = nullptr;
  QToolButton* m_addExclude = nullptr;
  QPushButton* m_removeExclude = nullptr;
  QPushButton* m_protect = nullptr;
  QMenu* m_recentMenus[2] = {nullptr, nullptr};
};

}  // namespace tf
