#include "ui/result_views/folder_rows_model.h"

#include <algorithm>

#include <QFont>

#include "platform/display_format.h"
#include "ui/qt_text.h"

namespace tf {

namespace {

int64_t latestOf(const FolderGroup& group) {
  int64_t latest = 0;
  for (const DuplicateFolder& folder : group.folders) latest = std::max(latest, folder.latest);
  return latest;
}

std::string sizeText(int64_t size) {
  std::string number, unit;
  FormatSize(size, &number, &unit);
  return unit.empty() ? number : number + " " + unit;
}

std::string timeText(int64_t fileTime) {
  std::string date, time;
  if (!FormatDate(fileTime, &date)) return std::string();
  FormatTime(fileTime, &time);
  return date + " " + time;
}

}  // namespace

FolderRowsModel::FolderRowsModel(QObject* parent) : QAbstractTableModel(parent) {}

void FolderRowsModel::SetGroups(FolderGroups groups) {
  beginResetModel();
  m_groups = std::move(groups);
  order();
  endResetModel();
}

void FolderRowsModel::Sort(int column, bool reversed) {
  if (column < 0 || column >= kColumnCount) return;
  beginResetModel();
  m_column = column;
  m_reversed = reversed;
  order();
  endResetModel();
}

void FolderRowsModel::order() {
  const bool byTime = m_column == kLatestColumn;
  for (FolderGroup& group : m_groups)
    std::stable_sort(group.folders.begin(), group.folders.end(),
                     [byTime](const DuplicateFolder& a, const DuplicateFolder& b) {
                       if (byTime && a.latest != b.latest) return a.latest > b.latest;
                       return a.path < b.path;
                     });
  // Ties keep the path order, so the list reads the same after every sort.
  const auto key = [this](const FolderGroup& g) -> int64_t {
    switch (m_column) {
      case kFilesColumn:
        return g.files;
      case kSizeColumn:
        return g.size;
      case kLatestColumn:
        return latestOf(g);
      default:
        return 0;
    }
  };
  const auto firstPath = [](const FolderGroup& g) {
    return g.folders.empty() ? std::string() : g.folders.front().path;
  };
  std::vector<size_t> index(m_groups.size());
  for (size_t i = 0; i < index.size(); ++i) index[i] = i;
  std::stable_sort(index.begin(), index.end(), [&](size_t a, size_t b) {
    const FolderGroup& ga = m_groups[a];
    const FolderGroup& gb = m_groups[b];
    if (m_column != kFolderColumn && key(ga) != key(gb)) return (key(ga) > key(gb)) != m_reversed;
    const std::string pa = firstPath(ga), pb = firstPath(gb);
    if (pa == pb) return false;
    return m_column == kFolderColumn ? (pa < pb) != m_reversed : pa < pb;
  });
  m_rows.clear();
  for (size_t g : index) {
    m_rows.push_back({g, -1});
    for (size_t f = 0; f < m_groups[g].folders.size(); ++f)
      m_rows.push_back({g, static_cast<int>(f)});
  }
}

const FolderGroup* FolderRowsModel::GroupOf(int row) const {
  if (row < 0 || row >= static_cast<int>(m_rows.size())) return nullptr;
  return &m_groups[m_rows[static_cast<size_t>(row)].group];
}

const DuplicateFolder* FolderRowsModel::FolderOf(int row) const {
  const FolderGroup* group = GroupOf(row);
  const int folder = group ? m_rows[static_cast<size_t>(row)].folder : -1;
  return folder < 0 ? nullptr : &group->folders[static_cast<size_t>(folder)];
}

int FolderRowsModel::RowOf(const std::string& path) const {
  for (size_t row = 0; row < m_rows.size(); ++row) {
    const DuplicateFolder* folder = FolderOf(static_cast<int>(row));
    if (folder && folder->path == path) return static_cast<int>(row);
  }
  return -1;
}

int FolderRowsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int FolderRowsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant FolderRowsModel::data(const QModelIndex& index, int role) const {
  const FolderGroup* group = GroupOf(index.row());
  if (!group) return {};
  const DuplicateFolder* folder = FolderOf(index.row());
  if (role == Qt::FontRole && !folder) {
    QFont bold;
    bold.setBold(true);
    return bold;
  }
  if (role == Qt::TextAlignmentRole && index.column() != kFolderColumn)
    return int(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  switch (index.column()) {
    case kFolderColumn:
      if (folder) return ShownText(folder->path);
      return QStringLiteral("%1 folders alike").arg(group->folders.size());
    case kFilesColumn:
      return QtText(FormatGroupedNumber(group->files));
    case kSizeColumn:
      return QtText(sizeText(group->size));
    case kLatestColumn:
      return QtText(timeText(folder ? folder->latest : latestOf(*group)));
    default:
      return {};
  }
}

QVariant FolderRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  static const char* const kTitles[kColumnCount] = {"Folder", "Files", "Size", "Latest change"};
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= kColumnCount)
    return {};
  return QString::fromLatin1(kTitles[section]);
}

}  // namespace tf
