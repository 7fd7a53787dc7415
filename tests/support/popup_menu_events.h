// PickFromMenu: clicks a button that opens a pop-up menu and, in that menu, one entry,
// as a person would, for widget tests of buttons whose menus run their own event loop.
#pragma once

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPoint>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace tf::testing {

// Clicks `button` (at `at`, its middle when null), and in the menu it opens the entry
// `entry` (none when empty, or when the menu lacks it: the menu is closed). Answers what
// the menu offered, in order, a separator as "-"; nothing when no menu opened.
inline QStringList PickFromMenu(QWidget* button, const QString& entry, QPoint at = QPoint()) {
  QStringList offered;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu || !menu->isVisible()) return;
    poll.stop();
    QAction* target = nullptr;
    for (QAction* action : menu->actions()) {
      offered << (action->isSeparator() ? QString("-") : action->text());
      if (!action->isSeparator() && action->text() == entry) target = action;
    }
    if (target)
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(target).center());
    else
      menu->close();
  });
  poll.start(5);
  QTest::mouseClick(button, Qt::LeftButton, {}, at);
  return offered;
}

}  // namespace tf::testing
