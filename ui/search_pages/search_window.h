// SearchWindow: the column at the left of the main window. A tab bar at its top chooses
// the page shown below it: the folders to scan, the file filters, the duplicate criteria
// or the preview of the selected file.
#pragma once

#include <array>

#include <QFont>
#include <QStringList>
#include <QWidget>

namespace tf {

class CriteriaPage;
class FiltersPage;
class FolderPage;
class MCMain;
class PreviewPage;
class SearchHost;
class SearchTabBar;
class ScrollWindow;
class SplitWindow;

// The pages, by the mode that shows them.
constexpr int kSearchModeFolders = 0;
constexpr int kSearchModeFilters = 1;
constexpr int kSearchModeSettings = 2;
constexpr int kSearchModePreview = 3;
constexpr int kSearchModeCount = 4;

class SearchWindow : public QWidget {
  Q_OBJECT

 public:
  // Builds the tab bar, the four pages and the split holding them, then shows the
  // folder page. `main` gives the shared fonts and tooltips (may be null).
  SearchWindow(SearchHost& host, MCMain* main, QWidget* parent = nullptr);
  ~SearchWindow() override;
  SearchWindow(const SearchWindow&) = delete;
  SearchWindow& operator=(const SearchWindow&) = delete;

  // Shows the page of `mode` (kSearchMode*) and checks its tab; nothing when it is the
  // current mode or out of range.
  void SetMode(int mode);
  int Mode() const { return m_mode; }
  // The last of the folder, filter and criteria pages that was shown.
  int LastSearchMode() const { return m_lastSearchMode; }

  // The width the main window gives the column: wide, the folder page's width; narrow,
  // just the "Expand/Collapse" button.
  int Width(bool wide) const;

  // Shows the descriptor anew on the page on show (the descriptor was replaced).
  void ReloadPage() { activatePage(m_mode); }
  // Rebuilds the status column of the folder list from the running search.
  void RefreshFolders();
  // Clears the folder statuses (a search is starting).
  void ClearFolders();
  // Copies the include and exclude folders into their recent lists.
  void SaveRecentFolders();
  // Adds the masks of the name filter to their recent lists, as leaving its page does.
  void RememberMasks();
  // Draws the "Filters" tab as an enabled filter's selector while any filter is on, its
  // tooltip naming those filters.
  void RefreshFiltersTab();

  FolderPage* folderPage() const { return m_folderPage; }
  CriteriaPage* criteriaPage() const { return m_criteriaPage; }
  FiltersPage* filtersPage() const { return m_filtersPage; }
  PreviewPage* previewPage() const { return m_previewPage; }
  SearchTabBar* tabBar() const { return m_tabBar; }
  SplitWindow* split() const { return m_split; }
  QWidget* page(int mode) const;
  // The scrolling holder the page of `mode` is shown in; null out of range.
  ScrollWindow* pageHolder(int mode) const;

 signals:
  // "Expand/Collapse" was pressed; checked asks for the narrow column.
  void expandCollapseToggled(bool checked);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void leavePage(int mode);
  void activatePage(int mode);

  SearchHost& m_host;
  SearchTabBar* m_tabBar = nullptr;
  FolderPage* m_folderPage = nullptr;
  CriteriaPage* m_criteriaPage = nullptr;
  FiltersPage* m_filtersPage = nullptr;
  PreviewPage* m_previewPage = nullptr;
  SplitWindow* m_split = nullptr;
  // One per page, in mode order: a short window scrolls a page rather than cut it off.
  std::array<ScrollWindow*, 4> m_holders{};
  int m_folderPageWidth = 0;
  // The filters the "Filters" tab shows as on, once marked.
  QStringList m_filtersOn;
  QFont m_plainTabFont;  // the tabs' own font
  bool m_filtersTabMarked = false;
  int m_mode = -1;
  int m_lastSearchMode = kSearchModeFolders;
  bool m_collapsed = false;
};

}  // namespace tf
