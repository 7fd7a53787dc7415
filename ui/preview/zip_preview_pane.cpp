#include "ui/preview/zip_preview_pane.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QTableView>

#include "platform/display_format.h"
#include "platform/file_facts.h"
#include "ui/qt_text.h"

namespace tf {

// The rows of one archive; cells are formatted when shown.
class ZipRowsModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  void SetRows(std::vector<ZipRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
  }
  void Sort(int column, bool reversed) {
    beginResetModel();
    SortZipRows(&m_rows, column, reversed);
    endResetModel();
  }
  const std::vector<ZipRow>& Rows() const { return m_rows; }

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
  }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 3; }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() >= static_cast<int>(m_rows.size())) return {};
    const ZipRow& row = m_rows[static_cast<size_t>(index.row())];
    if (role == Qt::TextAlignmentRole && index.column() == kZipColumnSize)
      return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    switch (index.column()) {
      case kZipColumnName:
        return QtText(row.name);
      case kZipColumnSize: {
        std::string number;
        std::string unit;
        FormatSize(row.size, &number, &unit);
        return QString::fromStdString(number + " " + unit);
      }
      default:
        return QtText(row.folder);
    }
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const kTitles[] = {"Name", "Size", "Path"};
    return section >= 0 && section < 3 ? QString::fromLatin1(kTitles[section]) : QVariant();
  }

 private:
  std::vector<ZipRow> m_rows;
};

ZipPreviewPane::ZipPreviewPane(ZipFileInterface* zip, QWidget* parent)
    : PreviewPane({QStringLiteral("Last modified:"), QStringLiteral("Compressed size:"),
                   QStringLiteral("Uncompressed size:")},
                  parent),
      m_zip(zip) {
  m_model = new ZipRowsModel(this);
  m_list = new QTableView(this);
  m_list->setObjectName(QStringLiteral("ZipList"));
  m_list->setModel(m_model);
  m_list->setShowGrid(true);
  m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_list->setWordWrap(false);
  m_list->verticalHeader()->hide();
  m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 4);
  m_list->horizontalHeader()->setSectionsClickable(true);
  m_list->horizontalHeader()->setStretchLastSection(true);
  m_list->setColumnWidth(kZipColumnName, 120);
  m_list->setColumnWidth(kZipColumnSize, 60);
  connect(m_list->horizontalHeader(), &QHeaderView::sectionClicked, this, &ZipPreviewPane::SortBy);
  setContent(m_list);
}

ZipPreviewPane::~ZipPreviewPane() = default;

const std::vector<ZipRow>& ZipPreviewPane::rows() const {
  return m_model->Rows();
}

void ZipPreviewPane::Open(const std::string& path) {
  m_model->SetRows({});
  setMessage(QString());
  fillNameAndTime(path);
  FileFacts facts;
  ReadFileFacts(path, &facts);
  // What the archive takes on disk: less than its size only when the file system
  // compresses it or it has holes.
  const int64_t compressed =
      facts.allocated > 0 && facts.allocated < facts.size ? facts.allocated : facts.size;
  ZipListing listing = ReadZipListing(m_zip, path, facts.clusterBytes);
  setCaption(2, QString::fromStdString(CompressedSizeText(compressed, listing.roundedSum)));
  setCaption(3, QString::fromStdString(UncompressedSizeText(listing.sum, listing.roundedSum)));
  m_sortColumn = kZipColumnPath;
  m_reversed = false;
  m_model->SetRows(std::move(listing.rows));
  if (!listing.opened)
    setMessage(QStringLiteral("The archive cannot be read: it is damaged or not a zip archive."));
  else if (listing.truncated)
    setCaption(3, captionText(3) +
                      QStringLiteral("   (only the first %1 entries are listed)").arg(kMaxZipRows));
}

void ZipPreviewPane::Close() {
  m_model->SetRows({});
  PreviewPane::Close();
}

void ZipPreviewPane::SortBy(int column) {
  m_reversed = column == m_sortColumn ? !m_reversed : false;
  m_sortColumn = column;
  m_model->Sort(column, m_reversed);
}

}  // namespace tf
