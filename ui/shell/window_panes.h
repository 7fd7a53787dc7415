// WindowPanes: the main window's panes as its controller builds and drops them, and what
// the hosts may ask of the window as a whole. The hosts hold it by reference; a pane is
// null while it does not exist (before the panes are built, after the window closed).
#pragma once

#include <functional>

#include <QPointer>

namespace tf {

class CMainFrame;
class ResultsPane;
class SearchBar;
class SearchWindow;

struct WindowPanes {
  QPointer<CMainFrame> frame;
  QPointer<SearchWindow> searchWindow;
  QPointer<SearchBar> bar;
  QPointer<ResultsPane> results;
  // Pushes the command states into the menus and the search bar.
  std::function<void()> updateCommandStates;
  // True while the main window is the active window.
  std::function<bool()> isActive;
};

}  // namespace tf
