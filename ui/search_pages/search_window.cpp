#include "ui/search_pages/search_window.h"

#include <algorithm>
#include <utility>

#include <QPushButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QStringList>
#include <QToolButton>

#include "ui/preview/preview_page.h"
#include "ui/search_pages/criteria_page.h"
#include "ui/search_pages/filters_page.h"
#include "ui/search_pages/folder_page.h"
#include "ui/search_pages/name_filter_page.h"
#include "ui/search_pages/search_tab_bar.h"
#include "ui/window/scroll_window.h"
#include "ui/window/split_window.h"

namespace tf {

namespace {

// Gap kept right of the "Expand/Collapse" button in the narrow column.
constexpr int kNarrowGap = 4;

}  // namespace

SearchWindow::SearchWindow(SearchHost& host, MCMain* main, QWidget* parent)
    : QWidget(parent), m_host(host) {
  m_tabBar = new SearchTabBar(main, this);
  m_folderPage = new FolderPage(host, this);
  m_criteriaPage = new CriteriaPage(host, main, this);
  m_filtersPage = new FiltersPage(host, main, nullptr, this);
  m_filtersPage->setObjectName("FiltersPage");
  m_previewPage = new PreviewPage(this);
  for (int mode = kSearchModeFolders; mode <= kSearchModePreview; ++mode) {
    // Each page keeps at least the height its layout needs; a shorter column scrolls it.
    // The width follows the column, which the folder page sets, or folds to its button.
    QWidget* shown = page(mode);
    const QSize least(1, std::max(1, shown->minimumSizeHint().height()));
    shown->resize(least);
    ScrollWindow* holder = new ScrollWindow(shown, &least, false);
    // Tab goes straight to the page's own controls; a click on the page's background still
    // gives its holder the keys that scroll it.
    holder->setFocusPolicy(Qt::ClickFocus);
    m_holders[static_cast<size_t>(mode)] = holder;
  }

  const QSize bar = m_tabBar->naturalSize();
  m_folderPageWidth = std::max(m_folderPage->sizeHint().width(), bar.width());
  // Made exactly twice the bar's height (and the bar between) so that the first pane,
  // fixed right after, keeps the bar's natural height.
  const QRect start(0, 0, m_folderPageWidth, 2 * bar.height() + kSplitBarThickness);
  resize(start.size());
  m_split = new SplitWindow(this, &start, m_tabBar, m_holders[kSearchModeFolders], true, 0.5);
  m_split->SetFixedPane(kFirstPane, true);
  m_split->SetLocked(true);

  connect(m_tabBar, &SearchTabBar::tabClicked, this, &SearchWindow::SetMode);
  connect(m_filtersPage, &FiltersPage::filtersOnChanged, this, &SearchWindow::RefreshFiltersTab);
  // Ctrl+Tab and Ctrl+Shift+Tab step through the pages wherever the focus is in the window.
  // (Shift+Tab arrives as Backtab, with or without Shift among the modifiers.)
  const std::pair<QKeySequence, int> steps[] = {
      {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), kSearchModeCount - 1},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), kSearchModeCount - 1}};
  for (const auto& keysAndStep : steps) {
    const int step = keysAndStep.second;  // a lambda may not capture a structured binding
    auto* shortcut = new QShortcut(keysAndStep.first, this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this,
            [this, step] { SetMode((m_mode + step) % kSearchModeCount); });
  }
  connect(m_tabBar, &SearchTabBar::expandCollapseToggled, this, [this](bool narrow) {
    // The narrow column shows its button only: no sliver of a page or tab beside it, and
    // nothing there for Tab to reach.
    m_collapsed = narrow;
    for (int mode = 0; mode < kSearchModeCount; ++mode) m_tabBar->tab(mode)->setVisible(!narrow);
    if (QWidget* shown = page(m_mode)) shown->setVisible(!narrow);
    emit expandCollapseToggled(narrow);
  });
  SetMode(kSearchModeFolders);
  m_plainTabFont = m_tabBar->tab(kSearchModeFilters)->font();
  RefreshFiltersTab();
}

void SearchWindow::RefreshFiltersTab() {
  // A filter left on from the last run narrows the search; the tab says so from any page.
  const QStringList on = m_filtersPage->FiltersOn();
  if (m_filtersTabMarked && on == m_filtersOn) return;
  m_filtersTabMarked = true;
  m_filtersOn = on;
  QString tip = QStringLiteral("File filters");
  if (!on.isEmpty()) tip += QStringLiteral("\nOn: ") + on.join(QStringLiteral(", "));
  QPushButton* tab = m_tabBar->tab(kSearchModeFilters);
  FiltersPage::MarkFilterOn(tab, !on.isEmpty(), &m_plainTabFont);
  tab->setToolTip(tip);
}

SearchWindow::~SearchWindow() = default;

QWidget* SearchWindow::page(int mode) const {
  switch (mode) {
    case kSearchModeFolders:
      return m_folderPage;
    case kSearchModeFilters:
      return m_filtersPage;
    case kSearchModeSettings:
      return m_criteriaPage;
    case kSearchModePreview:
      return m_previewPage;
    default:
      return nullptr;
  }
}

ScrollWindow* SearchWindow::pageHolder(int mode) const {
  return mode >= kSearchModeFolders && mode <= kSearchModePreview
             ? m_holders[static_cast<size_t>(mode)]
             : nullptr;
}

void SearchWindow::SetMode(int mode) {
  QWidget* next = pageHolder(mode);
  if (!next) return;
  // A click on the current tab unchecked it: it is checked again, and the others cleared.
  m_tabBar->CheckTab(mode);
  if (mode == m_mode) return;
  leavePage(m_mode);
  m_split->SetPane(kSecondPane, next);
  if (m_collapsed) next->hide();
  activatePage(mode);
  m_mode = mode;
  if (mode <= kSearchModeSettings) m_lastSearchMode = mode;
}

void SearchWindow::leavePage(int mode) {
  // Leaving the preview closes its preview; the filters page remembers the masks that were
  // typed; the others keep their state.
  if (mode == kSearchModeFilters) m_filtersPage->Leave();
  if (mode == kSearchModePreview) m_previewPage->SetActive(false);
}

void SearchWindow::activatePage(int mode) {
  if (mode == kSearchModeFolders) {
    m_folderPage->Rebuild();
    m_folderPage->RefreshStatuses();
  } else if (mode == kSearchModeFilters) {
    m_filtersPage->Update();
  } else if (mode == kSearchModeSettings) {
    m_criteriaPage->Update();
  } else if (mode == kSearchModePreview) {
    m_previewPage->SetActive(true);
  }
}

int SearchWindow::Width(bool wide) const {
  if (wide) return m_folderPageWidth;
  const QToolButton* expand = m_tabBar->expandButton();
  return expand->x() + expand->width() + kNarrowGap;
}

void SearchWindow::RefreshFolders() {
  m_folderPage->RefreshStatuses();
}

void SearchWindow::ClearFolders() {
  m_folderPage->ClearStatuses();
}

void SearchWindow::RememberMasks() {
  m_filtersPage->namePage()->RememberMasks();
}

void SearchWindow::SaveRecentFolders() {
  m_folderPage->SaveRecentFolders();
}

void SearchWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  m_split->setGeometry(rect());
}

}  // namespace tf
