// ZipPreviewPane: the entries of a zip archive read through the zip plug-in, with the
// archive's size against the space its contents take, in a list sortable by each column.
#pragma once

#include <vector>

#include "results/zip_listing.h"
#include "ui/preview/preview_pane.h"

class QTableView;

namespace tf {

class ZipRowsModel;

class ZipPreviewPane : public PreviewPane {
  Q_OBJECT

 public:
  // `zip`: an object acquired from the plug-in, used for every archive; not owned.
  ZipPreviewPane(ZipFileInterface* zip, QWidget* parent);
  ~ZipPreviewPane() override;

  void Open(const std::string& path) override;
  void Close() override;

  // Sorts by a column as a click on its header does: a new column ascending (sizes
  // larger first), the same column again reversed.
  void SortBy(int column);
  QTableView* list() const { return m_list; }
  const std::vector<ZipRow>& rows() const;

 private:
  ZipFileInterface* m_zip;
  QTableView* m_list;
  ZipRowsModel* m_model;
  int m_sortColumn = kZipColumnPath;
  bool m_reversed = false;
};

}  // namespace tf
