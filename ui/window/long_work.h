// LongWork: file work that may take long (a big copy, packing or unpacking a big file,
// many files one after another) runs on a worker thread while the window goes on
// painting; after half a second a progress dialog with "Cancel" appears. A step that
// has begun is never cut in half: a copy told to stop removes what it wrote, and the
// steps after a Cancel are not begun.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include "platform/file_ops.h"

class QProgressDialog;
class QWidget;

namespace tf {

class LongWork : public QObject {
  Q_OBJECT

 public:
  // One piece of work: told how far a copy has got, its callback answers false once
  // the user cancelled. True when the piece was done.
  using Job = std::function<bool(const CopyProgress& progress)>;

  static constexpr int kShowAfterMs = 500;

  // The work begins now; `steps` > 0 counts the pieces it will run (files), else the
  // dialog shows the bytes of the running copy.
  LongWork(QWidget* parent, const QString& label, int steps = 0);
  ~LongWork() override;

  // Runs `job` on a worker thread and answers its result; false without running it
  // once the user cancelled. Input to the windows open at the start is dropped until
  // it ends; dialogs the job asks through open and answer as usual.
  bool Run(const Job& job);
  // One of the counted steps is over.
  void StepDone();
  bool Cancelled() const { return m_cancelled.load(); }
  // The dialog once shown, else null.
  QProgressDialog* dialog() const { return m_dialog; }

  // Runs one job in a work of its own.
  static bool RunOnce(QWidget* parent, const QString& label, const Job& job);
  // Called with every progress dialog as it appears (tests and screenshots press its
  // buttons); empty by default.
  static std::function<void(QProgressDialog*)>& TEST_OnDialogShown();

  // Held (on the window's thread) while a question waits for the user: no progress
  // dialog shows or stays on top of it, and each work counts its half second again once
  // the question is answered, so the dialog never covers the buttons to be clicked.
  class QuestionOpen {
   public:
    QuestionOpen();
    ~QuestionOpen();
    QuestionOpen(const QuestionOpen&) = delete;
    QuestionOpen& operator=(const QuestionOpen&) = delete;
  };

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void update();
  // A question opens (hide the dialog) or the last one is answered (count again).
  void questionOpens();
  void questionAnswered();

  QPointer<QWidget> m_parent;
  QString m_label;
  int m_steps;
  int m_stepsDone = 0;
  // Runs from the first Run on: a question asked before the work began is no work.
  QElapsedTimer m_clock;
  QProgressDialog* m_dialog = nullptr;
  QSet<QObject*> m_guarded;
  std::atomic<bool> m_cancelled{false};
  std::atomic<int64_t> m_copied{0};
  std::atomic<int64_t> m_total{0};
};

}  // namespace tf
