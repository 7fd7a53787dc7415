#include "ui/search_pages/folder_page.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "app/search_host.h"
#include "platform/process_launcher.h"
#include "platform/shortcuts.h"
#include "results/recent_list.h"
#include "scan/folder_list.h"
#include "ui/qt_text.h"
#include "ui/search_pages/drive_chooser.h"
#include "ui/window/list_helpers.h"

namespace tf {

namespace {

constexpr const char* kRecentLists[2] = {"scanfolders_inc", "scanfolders_exc"};
constexpr int kStatusColumn = 1;
constexpr const char* kProtectedStatus = "protected";
constexpr const char* kProtectedTip =
    "Protected: no action moves, deletes, backs up or links the files in this folder";

QTreeWidget* makeList(QWidget* parent, const QStringList& headers) {
  auto* list = new QTreeWidget(parent);
  list->setColumnCount(static_cast<int>(headers.size()));
  list->setHeaderLabels(headers);
  list->setRootIsDecorated(false);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setAllColumnsShowFocus(true);
  list->setAcceptDrops(false);  // drops go to the page, which knows the rules
  return list;
}

QToolButton* makeAddButton(QWidget* parent, const char* text) {
  auto* button = new QToolButton(parent);
  button->setText(text);
  button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  button->setPopupMode(QToolButton::MenuButtonPopup);
  button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  return button;
}

// The exact bytes of a dropped local file: the URL's percent-encoded path decodes to
// them even when they are not valid UTF-8.
std::string localPathOf(const QUrl& url) {
  const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

int resolveLink(const std::string& path, std::string* target) {
  if (!IsShortcutFile(path)) return 0;
  return ResolveShortcut(path, target) ? 1 : -1;
}

}  // namespace

FolderPage::FolderPage(SearchHost& host, QWidget* parent) : QWidget(parent), m_host(host) {
  setAcceptDrops(true);
  m_includes = makeList(this, {"Folder Name", "Status"});
  // The folder takes what the status leaves; the status is as wide as its longest text.
  QHeaderView* header = m_includes->header();
  header->setStretchLastSection(false);
  header->setSectionResizeMode(0, QHeaderView::Stretch);
  header->setSectionResizeMode(kStatusColumn, QHeaderView::Fixed);
  header->resizeSection(kStatusColumn, m_includes->fontMetrics().horizontalAdvance(
                                           "protected, scanning: 88888 folders, 888888 files...") +
                                           12);
  m_addInclude = makeAddButton(this, "Add folder to search list");
  m_addDrive = new QPushButton("Add drive to search list", this);
  m_removeInclude = new QPushButton("Remove folder from search list", this);
  m_browse = new QPushButton("Browse folder", this);
  m_protect = new QPushButton("Protect folder...", this);
  m_protect->setToolTip(
      "Mark a folder to search, or a folder below one, so that no action changes its files "
      "(choose a protected folder to take the mark off)");
  // Made in the order they stand, top to bottom and left to right: the order of Tab.
  m_excludes = makeList(this, {"Folder Name"});
  m_addExclude = makeAddButton(this, "Add folder to exclusion list");
  m_removeExclude = new QPushButton("Remove folder from exclusion list", this);
  // Named for screen readers; the page shows them by place, under their buttons.
  m_includes->setAccessibleName(QStringLiteral("Folders to search"));
  m_excludes->setAccessibleName(QStringLiteral("Folders to leave out"));
  m_excludes->setHeaderHidden(true);

  auto* includeButtons = new QGridLayout;
  includeButtons->addWidget(m_addInclude, 0, 0);
  includeButtons->addWidget(m_addDrive, 0, 1);
  includeButtons->addWidget(m_removeInclude, 1, 0);
  includeButtons->addWidget(m_browse, 1, 1);
  includeButtons->addWidget(m_protect, 2, 0);
  auto* excludeButtons = new QGridLayout;
  excludeButtons->addWidget(m_addExclude, 0, 0);
  excludeButtons->addWidget(m_removeExclude, 0, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(m_includes, 3);
  layout->addLayout(includeButtons);
  layout->addWidget(m_excludes, 2);
  layout->addLayout(excludeButtons);

  for (int i = 0; i < 2; ++i) {
    const bool exclude = i == 1;
    m_recentMenus[i] = new QMenu(this);
    connect(m_recentMenus[i], &QMenu::aboutToShow, this,
            [this, exclude] { fillRecentMenu(exclude); });
    connect(m_recentMenus[i], &QMenu::triggered, this,
            [this, exclude](QAction* action) { recentChosen(exclude, action->data().toInt()); });
  }
  m_addInclude->setMenu(m_recentMenus[0]);
  m_addExclude->setMenu(m_recentMenus[1]);

  connect(m_addInclude, &QToolButton::clicked, this, &FolderPage::ChooseIncludeFolder);
  connect(m_addDrive, &QPushButton::clicked, this, &FolderPage::ChooseDrive);
  connect(m_removeInclude, &QPushButton::clicked, this, &FolderPage::RemoveSelectedInclude);
  connect(m_browse, &QPushButton::clicked, this, &FolderPage::BrowseSelectedInclude);
  connect(m_addExclude, &QToolButton::clicked, this, &FolderPage::ChooseExcludeFolder);
  connect(m_removeExclude, &QPushButton::clicked, this, &FolderPage::RemoveSelectedExclude);
  connect(m_protect, &QPushButton::clicked, this, &FolderPage::ChooseProtectedFolder);
  connect(m_includes, &QTreeWidget::itemSelectionChanged, this, &FolderPage::RebuildExcludes);
  Rebuild();
}

FolderPage::~FolderPage() = default;

QWidget* FolderPage::commandButton(int index) const {
  QWidget* buttons[] = {m_addInclude, m_addDrive,      m_removeInclude, m_browse,
                        m_addExclude, m_removeExclude, m_protect};
  return index >= 0 && index < 7 ? buttons[index] : nullptr;
}

std::string FolderPage::SelectedInclude() const {
  const QList<QTreeWidgetItem*> rows = m_includes->selectedItems();
  return rows.isEmpty() ? std::string() : RowText(rows.front());
}

std::string FolderPage::SelectedExclude() const {
  const QList<QTreeWidgetItem*> rows = m_excludes->selectedItems();
  return rows.isEmpty() ? std::string() : RowText(rows.front());
}

void FolderPage::Rebuild() {
  const std::string previous = SelectedInclude();
  {
    const QSignalBlocker quiet(m_includes);
    m_includes->clear();
    DataNode* root = m_host.Descriptor().Root();
    for (const std::string& path : IncludePaths(root)) {
      AddRow(m_includes, path, 0, -1);
      QTreeWidgetItem* row = m_includes->topLevelItem(m_includes->topLevelItemCount() - 1);
      // Protected folders below the entry hang under its row; they are shown, not
      // chosen: the page's commands work on the folders to search.
      for (const std::string& below : ProtectedBelow(root, path)) {
        auto* mark = new QTreeWidgetItem(row, {QtText(below), QString(kProtectedStatus)});
        mark->setFlags(Qt::ItemIsEnabled);
        mark->setToolTip(0, kProtectedTip);
      }
      row->setExpanded(true);
      if (IsIncludeProtected(root, path)) row->setToolTip(0, kProtectedTip);
    }
    const int row = FindRow(m_includes, previous, -1, nullptr);
    SelectRow(m_includes, row < 0 ? 0 : row, true);
  }
  RebuildExcludes();
  RefreshStatuses();
}

void FolderPage::selectInclude(const std::string& path) {
  const int row = FindRow(m_includes, path, -1, nullptr);
  if (row < 0) return;
  m_includes->clearSelection();
  SelectRow(m_includes, row, true);  // the selection signal rebuilds the exclude list
}

void FolderPage::RebuildExcludes() {
  const std::string previous = SelectedExclude();
  m_excludes->clear();
  const std::string include = SelectedInclude();
  if (include.empty()) return;
  for (const std::string& path : ExcludePaths(m_host.Descriptor().Root()))
    if (IsBelow(path, include)) AddRow(m_excludes, path, 0, -1);
  const int row = FindRow(m_excludes, previous, -1, nullptr);
  if (row >= 0) SelectRow(m_excludes, row, true);
}

QString FolderPage::statusText(const std::string& include, const std::string& scanStatus) const {
  // Both show: the mark first, as it stays while the scan status comes and goes.
  if (!IsIncludeProtected(m_host.Descriptor().Root(), include)) return QtText(scanStatus);
  if (scanStatus.empty()) return QString(kProtectedStatus);
  return QString(kProtectedStatus) + ", " + QtText(scanStatus);
}

void FolderPage::RefreshStatuses() {
  for (int i = 0; i < m_includes->topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = m_includes->topLevelItem(i);
    const std::string path = RowText(row);
    const QString status = statusText(path, m_host.FolderStatus(path));
    if (row->text(kStatusColumn) != status) row->setText(kStatusColumn, status);
  }
}

void FolderPage::ClearStatuses() {
  for (int i = 0; i < m_includes->topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = m_includes->topLevelItem(i);
    row->setText(kStatusColumn, statusText(RowText(row), {}));
  }
}

void FolderPage::SaveRecentFolders() {
  DataNode* root = m_host.Descriptor().Root();
  const std::vector<std::string> paths[2] = {IncludePaths(root), ExcludePaths(root)};
  for (int i = 0; i < 2; ++i) {
    RecentList recent;
    recent.Bind(m_host.RecentSection(kRecentLists[i]), kRecentLists[i]);
    for (const std::string& path : paths[i]) recent.AddText(path);
  }
}

int FolderPage::AddIncludePath(const std::string& path) {
  const int result = AddIncludeFolder(
      m_host.Descriptor().Root(), path, m_host.Ask(),
      [this](const std::string& p) { return m_host.ChangeIncludeFolder(true, p); });
  if (result == kFolderNotAFolder) QApplication::beep();
  if (result == kFolderAdded) {
    rememberFolder(false, path);
    Rebuild();
    selectInclude(path);
  }
  return result;
}

int FolderPage::AddExcludePath(const std::string& path) {
  const int result = AddExcludeFolder(
      m_host.Descriptor().Root(), path, SelectedInclude(), m_host.Ask(),
      [this](const std::string& p) { return m_host.ChangeExcludeFolder(true, p); });
  if (result == kFolderNotAFolder) QApplication::beep();
  if (result == kFolderAdded) {
    rememberFolder(true, path);
    RebuildExcludes();
  }
  return result;
}

void FolderPage::rememberFolder(bool exclude, const std::string& path) {
  // Taken into its recent list at once, so that its arrow offers it from now on.
  const char* name = kRecentLists[exclude ? 1 : 0];
  RecentList recent;
  recent.Bind(m_host.RecentSection(name), name);
  recent.AddText(path);
}

void FolderPage::DropPaths(const std::vector<std::string>& paths, bool ontoExcludeList) {
  const std::vector<std::string> folders = FoldersOfDrop(paths, resolveLink);
  if (!ontoExcludeList) {
    for (const std::string& folder : folders) AddIncludePath(folder);
    return;
  }
  // Onto the exclusion list only what can be left out is taken, without a word.
  const std::string include = SelectedInclude();
  bool added = false;
  for (const std::string& folder : folders)
    if (IsExistingFolder(folder) && IsBelow(folder, include))
      added |= m_host.ChangeExcludeFolder(true, folder) == kFolderAdded;
  if (added) RebuildExcludes();
}

void FolderPage::ChooseIncludeFolder() {
  std::string path;
  if (m_host.Ask().ChooseFolder({}, "Choose folder to be checked for duplicate files:", &path))
    AddIncludePath(path);
}

void FolderPage::ChooseDrive() {
  std::string mountPoint;
  if (DriveChooser::Choose(this, &mountPoint)) AddIncludePath(mountPoint);
}

void FolderPage::RemoveSelectedInclude() {
  const std::string path = SelectedInclude();
  if (path.empty()) return;
  m_host.ChangeIncludeFolder(false, path);
  Rebuild();
}

void FolderPage::BrowseSelectedInclude() {
  const std::string path = SelectedInclude();
  if (!path.empty()) BrowseFolderOrReport(m_host.Ask(), path, m_host.BrowseMode() == 1);
}

void FolderPage::ChooseExcludeFolder() {
  std::string path;
  if (m_host.Ask().ChooseFolder(SelectedInclude(), "Choose sub-folder to exclude", &path))
    AddExcludePath(path);
}

void FolderPage::RemoveSelectedExclude() {
  const std::string path = SelectedExclude();
  if (path.empty()) return;
  m_host.ChangeExcludeFolder(false, path);
  RebuildExcludes();
}

void FolderPage::ChooseProtectedFolder() {
  std::string path;
  if (m_host.Ask().ChooseFolder(SelectedInclude(),
                                "Choose folder whose files are protected:", &path))
    ToggleProtectedPath(path);
}

int FolderPage::ToggleProtectedPath(const std::string& path) {
  const int result = ToggleProtectedFolder(m_host.Descriptor().Root(), path, m_host.Ask());
  if (result == kFolderNotAFolder) QApplication::beep();
  if (result == kProtectionAdded || result == kProtectionRemoved) Rebuild();
  return result;
}

QMenu* FolderPage::RecentMenu(bool exclude) {
  fillRecentMenu(exclude);
  return m_recentMenus[exclude ? 1 : 0];
}

void FolderPage::fillRecentMenu(bool exclude) {
  QMenu* menu = m_recentMenus[exclude ? 1 : 0];
  menu->clear();
  RecentList recent;
  const char* name = kRecentLists[exclude ? 1 : 0];
  recent.Bind(m_host.RecentSection(name), name);
  if (!recent.HasEntries()) return;
  menu->addAction("Clear List")->setData(RecentList::kClearCommand);
  menu->addSeparator();
  const std::vector<std::string> texts = recent.MenuTexts();
  for (size_t i = 0; i < texts.size(); ++i) {
    if (texts[i].empty()) continue;  // keeps its number, shows nothing
    QAction* action = menu->addAction(MenuText(texts[i]));
    action->setData(static_cast<int>(i) + 1);
  }
}

void FolderPage::recentChosen(bool exclude, int command) {
  RecentList recent;
  const char* name = kRecentLists[exclude ? 1 : 0];
  recent.Bind(m_host.RecentSection(name), name);
  std::string path;
  if (!recent.ChooseMenuCommand(command, &path)) return;
  if (exclude)
    AddExcludePath(path);
  else
    AddIncludePath(path);
}

void FolderPage::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void FolderPage::dragMoveEvent(QDragMoveEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void FolderPage::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths.push_back(localPathOf(url));
  if (paths.empty()) return;
  event->acceptProposedAction();
  const QPoint at = m_excludes->mapFrom(this, event->position().toPoint());
  DropPaths(paths, m_excludes->rect().contains(at));
}

}  // namespace tf
