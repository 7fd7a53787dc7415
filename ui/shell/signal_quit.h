// SignalQuit: ends the window program on SIGTERM, SIGINT and SIGHUP as a close would, so
// that the settings are saved, whatever dialog is open at that moment.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace tf {

class SignalQuit : public QObject {
  Q_OBJECT

 public:
  // Catches the three signals for as long as the object lives (one object at a time).
  explicit SignalQuit(QObject* parent = nullptr);
  ~SignalQuit() override;
  SignalQuit(const SignalQuit&) = delete;
  SignalQuit& operator=(const SignalQuit&) = delete;

  // False when the signals could not be caught (they then end the program at once).
  bool installed() const { return m_notifier != nullptr; }
  // True once a signal arrived: the program is ending. The main event loop may not have
  // been running yet (a question during start-up), so the caller checks before it starts
  // the loop and after the loop returned.
  bool received() const { return m_received; }
  // Ends every event loop once more, so that a question asked while the program shuts
  // down after a signal returns at once instead of waiting for an answer nobody gives.
  void KeepQuestionsFromWaiting() const;

 private:
  void onSignal();

  QSocketNotifier* m_notifier = nullptr;
  bool m_received = false;
};

}  // namespace tf
