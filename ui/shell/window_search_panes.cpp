#include "ui/shell/window_search_panes.h"

#include <QApplication>

#include "ui/result_views/results_pane.h"
#include "ui/search_pages/search_window.h"
#include "ui/shell/main_controller.h"
#include "ui/shell/main_frame.h"
#include "ui/shell/search_bar.h"

namespace tf {

WindowSearchPanes::WindowSearchPanes(MainController& owner) : m_owner(owner) {}

void WindowSearchPanes::OnSearchStarted() {
  if (ResultsPane* results = m_owner.resultsPane()) results->OnSearchStarted();
}

void WindowSearchPanes::OnSearchFinished() {
  if (ResultsPane* results = m_owner.resultsPane()) results->OnSearchFinished();
}

void WindowSearchPanes::ClearProgress() {
  if (SearchWindow* search = m_owner.searchWindow()) search->ClearFolders();
  if (SearchBar* bar = m_owner.searchBar()) bar->SetStatusText(std::string());
}

void WindowSearchPanes::RefreshProgress() {
  if (SearchWindow* search = m_owner.searchWindow()) search->RefreshFolders();
  if (SearchBar* bar = m_owner.searchBar()) bar->update();
}

void WindowSearchPanes::SetStatusLine(const std::string& text) {
  if (SearchBar* bar = m_owner.searchBar()) bar->SetStatusText(text);
}

void WindowSearchPanes::SetSearching(bool searching) {
  if (SearchBar* bar = m_owner.searchBar()) bar->SetSearching(searching);
  m_owner.UpdateCommandStates();
}

void WindowSearchPanes::Flash() {
  if (CMainFrame* frame = m_owner.frame()) QApplication::alert(frame, 500);
}

bool WindowSearchPanes::IsActive() {
  return m_owner.active();
}

void WindowSearchPanes::SetWaitCursor(bool wait) {
  if (wait) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++m_waitCursors;
  } else if (m_waitCursors > 0) {
    QApplication::restoreOverrideCursor();
    --m_waitCursors;
  }
}

void WindowSearchPanes::ReleaseWaitCursors() {
  while (m_waitCursors > 0) SetWaitCursor(false);
}

}  // namespace tf
