// SearchBar: the bar above the result list with the "Start search" and "Stop" buttons and
// the status line. It holds no rule of its own: the controller tells it whether a search
// runs and whether one can start.
#pragma once

#include <string>

#include <QWidget>

class QLabel;
class QPushButton;

namespace tf {

class MCMain;

class SearchBar : public QWidget {
  Q_OBJECT

 public:
  // `main` gives the shared font and tooltips (may be null).
  explicit SearchBar(MCMain* main, QWidget* parent = nullptr);

  // While searching "Start search" is disabled and "Stop" enabled; otherwise "Stop" is
  // disabled and "Start search" follows `canStart`.
  void SetSearching(bool searching);
  bool searching() const { return m_searching; }
  void UpdateButtons(bool canStart);
  // Shown at once; non-UTF-8 bytes show as replacement characters.
  void SetStatusText(const std::string& text);

  QPushButton* startButton() const { return m_start; }
  QPushButton* stopButton() const { return m_stop; }
  QLabel* statusLabel() const { return m_status; }

 signals:
  void startClicked();
  void stopClicked();

 private:
  QPushButton* m_start;
  QPushButton* m_stop;
  QLabel* m_status;
  bool m_searching = false;
  bool m_canStart = false;
};

}  // namespace tf
