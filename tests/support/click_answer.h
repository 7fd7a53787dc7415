// ClickAnswers: answers the next question dialogs as a mouse user does. Once a dialog
// shows, the program's timers run on for a while (long enough for a progress dialog to
// appear over it); then the pointer goes to the middle of the button, and whatever lies
// under it there is clicked.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPoint>
#include <QPointer>
#include <QProgressDialog>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace tf::testing {

struct ClickedAnswer {
  bool asked = false;          // a question dialog showed
  bool underPointer = false;   // the button was what lay under the pointer
  bool progressShown = false;  // a progress dialog showed while the question waited
  QString title;
};

// Answers the next questions in turn, each with the button of `texts` at its place
// (mnemonics left out), each after `waitMs` of the program's timers; gives up ten seconds
// after the last answer, or when the answers returned are dropped.
inline std::shared_ptr<std::vector<ClickedAnswer>> ClickAnswers(const QStringList& texts,
                                                                int waitMs = 800) {
  auto answers = std::make_shared<std::vector<ClickedAnswer>>();
  auto* timer = new QTimer(qApp);
  auto clock = std::make_shared<QElapsedTimer>();
  auto seen = std::make_shared<QElapsedTimer>();
  auto last = std::make_shared<QPointer<QDialog>>();  // the one answered, until it is gone
  clock->start();
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [=] {
    const auto done = [&] {
      timer->stop();
      timer->deleteLater();
    };
    // Done, or the caller let go of the answers: a question it did not expect is left
    // for the next answerer, not clicked by this one.
    if (answers->size() >= static_cast<size_t>(texts.size()) || answers.use_count() == 1)
      return done();
    const QString& text = texts[static_cast<qsizetype>(answers->size())];
    if (*last && (*last)->isVisible()) return;
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (qobject_cast<QProgressDialog*>(dialog)) dialog = nullptr;
    QAbstractButton* button = nullptr;
    if (dialog && dialog->isVisible())
      for (QAbstractButton* candidate : dialog->findChildren<QAbstractButton*>())
        if (candidate->isVisible() && candidate->text().remove('&') == text) button = candidate;
    if (!button) {
      if (clock->elapsed() > 10000) done();
      return;
    }
    if (!seen->isValid()) seen->start();
    bool progress = false;
    for (QWidget* window : QApplication::topLevelWidgets())
      if (qobject_cast<QProgressDialog*>(window) && window->isVisible()) progress = true;
    if (seen->elapsed() < waitMs && !progress) return;
    ClickedAnswer answer;
    answer.asked = true;
    answer.progressShown = progress;
    answer.title = dialog->windowTitle();
    const QPoint global = button->mapToGlobal(button->rect().center());
    QWidget* under = QApplication::widgetAt(global);
    answer.underPointer = under == button;
    answers->push_back(answer);
    seen->invalidate();
    clock->restart();
    *last = dialog;
    if (under) QTest::mouseClick(under, Qt::LeftButton, {}, under->mapFromGlobal(global));
  });
  timer->start();
  return answers;
}

// Clicks `widget` at `at` (default: its middle) as the pointer does: false, and no click,
// when something else lies there on the screen.
inline bool ClickOn(QWidget* widget, QPoint at = QPoint()) {
  if (at.isNull()) at = widget->rect().center();
  if (QApplication::widgetAt(widget->mapToGlobal(at)) != widget) return false;
  QTest::mouseClick(widget, Qt::LeftButton, {}, at);
  return true;
}

// Runs `step` on the modal dialog of type T as soon as it shows; the step ends the
// dialog. Gives up after ten seconds, so a dialog that never shows fails the test instead
// of driving a later one.
template <typename T>
void WhenShown(std::function<void(T*)> step) {
  auto* timer = new QTimer(qApp);
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, clock, step] {
    T* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    if ((!dialog || !dialog->isVisible()) && clock->elapsed() < 10000) return;
    timer->stop();
    timer->deleteLater();
    if (dialog) step(dialog);
  });
  timer->start();
}

}  // namespace tf::testing
