#include "ui/window/long_work.h"

#include <thread>

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QList>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include "ui/window/pending_input.h"

namespace tf {

namespace {

// How often the window's thread looks at the work while it waits; well below the
// 200 ms in which a window must repaint.
constexpr int kPollMs = 40;
constexpr int kByteScale = 1000;

// Touched on the window's thread only.
QList<LongWork*>& liveWorks() {
  static QList<LongWork*> works;
  return works;
}
int g_questionsOpen = 0;

}  // namespace

LongWork::LongWork(QWidget* parent, const QString& label, int steps)
    : m_parent(parent), m_label(label), m_steps(steps) {
  liveWorks().append(this);
}

LongWork::~LongWork() {
  liveWorks().removeOne(this);
  delete m_dialog;
}

LongWork::QuestionOpen::QuestionOpen() {
  if (g_questionsOpen++ == 0)
    for (LongWork* work : liveWorks()) work->questionOpens();
}

LongWork::QuestionOpen::~QuestionOpen() {
  if (--g_questionsOpen == 0)
    for (LongWork* work : liveWorks()) work->questionAnswered();
}

void LongWork::questionOpens() {
  if (m_dialog) m_dialog->hide();
}

void LongWork::questionAnswered() {
  if (m_clock.isValid()) m_clock.restart();
}

std::function<void(QProgressDialog*)>& LongWork::TEST_OnDialogShown() {
  static std::function<void(QProgressDialog*)> hook;
  return hook;
}

bool LongWork::RunOnce(QWidget* parent, const QString& label, const Job& job) {
  LongWork work(parent, label);
  return work.Run(job);
}

bool LongWork::Run(const Job& job) {
  if (m_cancelled.load()) return false;
  if (!m_clock.isValid()) m_clock.start();
  m_copied = 0;
  m_total = 0;
  // The windows open now take no input until the job is over; a dialog that opens
  // meanwhile (a question of the job, the progress dialog) does.
  m_guarded.clear();
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window != m_dialog) m_guarded.insert(window);
  qApp->installEventFilter(this);

  QEventLoop loop;
  QTimer poll;
  connect(&poll, &QTimer::timeout, this, [this] { update(); });
  poll.start(kPollMs);
  bool result = false;
  const CopyProgress progress = [this](int64_t copied, int64_t total) {
    m_copied = copied;
    m_total = total;
    return !m_cancelled.load();
  };
  std::thread worker([&] {
    result = job(progress);
    QMetaObject::invokeMethod(
        &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
  });
  loop.exec();
  worker.join();
  poll.stop();
  qApp->removeEventFilter(this);
  update();
  return result;
}

void LongWork::StepDone() {
  ++m_stepsDone;
  update();
}

void LongWork::update() {
  if (g_questionsOpen > 0) return;
  const bool appears = !m_dialog;
  if (!m_dialog || !m_dialog->isVisible()) {
    if (!m_clock.isValid() || m_clock.elapsed() < kShowAfterMs) return;
  }
  if (m_dialog && !m_dialog->isVisible()) m_dialog->show();
  if (!m_dialog) {
    m_dialog = new QProgressDialog(m_label, QStringLiteral("Cancel"), 0, 0, m_parent);
    m_dialog->setWindowTitle(QStringLiteral("Twinfold"));
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setAutoReset(false);
    m_dialog->setAutoClose(false);
    m_dialog->setMinimumDuration(0);
    m_dialog->setMinimumWidth(380);
    connect(m_dialog, &QProgressDialog::canceled, this, [this] {
      m_cancelled = true;
      m_dialog->setLabelText(QStringLiteral("Cancelling..."));
      // The button stays (it may be the one being clicked) but cannot be pressed twice.
      for (QPushButton* button : m_dialog->findChildren<QPushButton*>()) button->setEnabled(false);
    });
    m_dialog->show();
  }
  if (!m_cancelled.load()) {
    const int64_t total = m_total.load();
    if (m_steps > 0) {
      m_dialog->setRange(0, m_steps);
      m_dialog->setValue(std::min(m_stepsDone, m_steps));
    } else if (total <= 0) {
      m_dialog->setRange(0, 0);  // packing and unpacking tell no progress: a busy bar
    } else {
      m_dialog->setRange(0, kByteScale);
      m_dialog->setValue(static_cast<int>(m_copied.load() * kByteScale / total));
    }
  }
  if (appears && TEST_OnDialogShown()) TEST_OnDialogShown()(m_dialog);
}

bool LongWork::eventFilter(QObject* watched, QEvent* event) {
  // Closing a window counts too: its data may be what the job works on.
  const bool input = IsUserInput(event) || event->type() == QEvent::Close;
  if (!input || !watched->isWidgetType()) return false;
  QWidget* window = static_cast<QWidget*>(watched)->window();
  return m_guarded.contains(window);
}

}  // namespace tf
