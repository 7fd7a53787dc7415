#include "ui/window/pending_input.h"

#include <QApplication>
#include <QEvent>

namespace tf {

namespace {

// Eats mouse and keyboard input while installed on the application.
class InputSwallower : public QObject {
 protected:
  bool eventFilter(QObject*, QEvent* event) override { return IsUserInput(event); }
};

}  // namespace

bool IsUserInput(const QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
      return true;
    default:
      return false;
  }
}

void DiscardPendingInput() {
  InputSwallower swallower;
  qApp->installEventFilter(&swallower);
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  qApp->removeEventFilter(&swallower);
}

}  // namespace tf
