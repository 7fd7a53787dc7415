// SearchPanes: what the search control asks of the main window: the result list, the
// progress panes, the search bar, the status line, flashing and the cursor. The window
// program's controller implements it; the tests record the calls.
#pragma once

#include <string>

namespace tf {

class SearchPanes {
 public:
  virtual ~SearchPanes() = default;

  // A search starts: the result list empties itself.
  virtual void OnSearchStarted() = 0;
  // A search ended (finished or stopped): the result list shows what the result holds.
  virtual void OnSearchFinished() = 0;
  // Empties the status pane and the folder pane's scan statuses.
  virtual void ClearProgress() = 0;
  // Repaints the folder pane (each folder's scan status) and the status pane.
  virtual void RefreshProgress() = 0;
  // Shows the status line at once (empty text: an empty line).
  virtual void SetStatusLine(const std::string& text) = 0;
  // Puts the search bar into, or out of, its searching state.
  virtual void SetSearching(bool searching) = 0;
  // Flashes the main window once; StopFlash ends any flashing.
  virtual void Flash() = 0;
  virtual void StopFlash() = 0;
  // True while the main window is the active window.
  virtual bool IsActive() = 0;
  virtual void SetWaitCursor(bool wait) = 0;
};

}  // namespace tf
