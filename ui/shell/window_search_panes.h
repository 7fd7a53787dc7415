// WindowSearchPanes: what the search control moves in the main window: the results pane,
// the folder page's scan statuses, the search bar, the frame's flashing and the wait
// cursor. The panes are the controller's; this class only reaches them while they exist.
#pragma once

#include <string>

#include "app/search_panes.h"

namespace tf {

struct WindowPanes;

class WindowSearchPanes : public SearchPanes {
 public:
  // The panes outlive this class.
  explicit WindowSearchPanes(WindowPanes& panes);

  void OnSearchStarted() override;
  void OnSearchFinished() override;
  void ClearProgress() override;
  void RefreshProgress() override;
  void SetStatusLine(const std::string& text) override;
  void SetSearching(bool searching) override;
  void Flash() override;
  void StopFlash() override {}
  bool IsActive() override;
  // Wait cursors nest; each true needs its false.
  void SetWaitCursor(bool wait) override;
  // Takes back every wait cursor still set (the program is closing).
  void ReleaseWaitCursors();

 private:
  WindowPanes& m_panes;
  int m_waitCursors = 0;
};

}  // namespace tf
