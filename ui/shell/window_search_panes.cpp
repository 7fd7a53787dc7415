#include "ui/shell/window_search_panes.h"

#include <QApplication>

#include "ui/result_views/results_pane.h"
#include "ui/search_pages/search_window.h"
#include "ui/shell/main_frame.h"
#include "ui/shell/search_bar.h"
#include "ui/shell/window_panes.h"

namespace tf {

WindowSearchPanes::WindowSearchPanes(WindowPanes& panes) : m_panes(panes) {}

void WindowSearchPanes::OnSearchStarted() {
  if (ResultsPane* results = m_panes.results) results->OnSearchStarted();
}

void WindowSearchPanes::OnSearchFinished() {
  if (ResultsPane* results = m_panes.results) results->OnSearchFinished();
}

void WindowSearchPanes::ClearProgress() {
  if (SearchWindow* search = m_panes.searchWindow) search->ClearFolders();
  if (SearchBar* bar = m_panes.bar) bar->SetStatusText(std::string());
}

void WindowSearchPanes::RefreshProgress() {
  if (SearchWindow* search = m_panes.searchWindow) search->RefreshFolders();
  if (SearchBar* bar = m_panes.bar) bar->update();
}

void WindowSearchPanes::SetStatusLine(const std::string& text) {
  if (SearchBar* bar = m_panes.bar) bar->SetStatusText(text);
}

void WindowSearchPanes::SetSearching(bool searching) {
  if (SearchBar* bar = m_panes.bar) bar->SetSearching(searching);
  if (m_panes.updateCommandStates) m_panes.updateCommandStates();
}

void WindowSearchPanes::Flash() {
  if (CMainFrame* frame = m_panes.frame) QApplication::alert(frame, 500);
}

bool WindowSearchPanes::IsActive() {
  return m_panes.isActive && m_panes.isActive();
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
