// Shared by the window's tests.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <vector>

#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "tests/support/private_trash.h"
#include "ui/result_views/result_rows_model.h"

namespace tf::testing {

// The original paths under `folder` of what the (whole test program's) trash holds.
inline std::set<std::string> TrashedFrom(const std::string& folder) {
  std::set<std::string> out;
  std::error_code ec;
  for (const auto& entry :
       std::filesystem::directory_iterator(PrivateTrashHome() + "/Trash/info", ec)) {
    std::ifstream in(entry.path());
    for (std::string line; std::getline(in, line);)
      if (line.rfind("Path=" + folder + "/", 0) == 0) out.insert(line.substr(5));
  }
  return out;
}

inline std::vector<std::string> Column(const QAbstractItemModel* model, int col = 0) {
  std::vector<std::string> texts;
  for (int row = 0; row < model->rowCount(); ++row)
    texts.push_back(model->index(row, col).data().toString().toStdString());
  return texts;
}

inline std::set<std::string> SelectedPaths(const QTableView* list) {
  std::set<std::string> out;
  auto* model = static_cast<ResultRowsModel*>(list->model());
  for (const QModelIndex& index : list->selectionModel()->selectedRows())
    out.insert(tf::FullName(model->Node(index.row())));
  return out;
}

inline void OnModal(std::function<bool(QDialog*)> accepts, std::function<void(QDialog*)> act) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, accepts, act] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible() || !accepts(dialog)) return;
    timer->stop();
    timer->deleteLater();
    act(dialog);
  });
  timer->start();
}

// A right click at `at` in `list` as the desktop delivers it: the press, the release,
// then the menu request.
inline void RightClick(QAbstractItemView* list, QPoint at) {
  QTest::mousePress(list->viewport(), Qt::RightButton, {}, at);
  QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, at);
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
  QApplication::sendEvent(list->viewport(), &event);
}

// What the next pop-up menu offered for one entry.
struct Offered {
  bool shown = false;  // a menu showed
  bool enabled = false;
  QString tip;
};

// Watches for the next pop-up menu and clicks `entry` in it when it is there and enabled,
// else closes the menu; what the menu offered is filled in once it showed.
inline std::shared_ptr<Offered> ClickInNextMenu(const QString& entry) {
  auto offered = std::make_shared<Offered>();
  auto* poll = new QTimer(qApp);
  QObject::connect(poll, &QTimer::timeout, [poll, entry, offered] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu || !menu->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    QAction* target = nullptr;
    for (QAction* action : menu->actions())
      if (action->text() == entry) target = action;
    offered->shown = true;
    if (target) offered->enabled = target->isEnabled(), offered->tip = target->toolTip();
    if (target && target->isEnabled())
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(target).center());
    else
      menu->close();
  });
  poll->start(5);
  return offered;
}

// Right-clicks the current row of `list` and takes `entry` in the menu that opens.
inline Offered TakeFromRowMenu(QTableView* list, const QString& entry) {
  const auto offered = ClickInNextMenu(entry);
  RightClick(list, list->visualRect(list->currentIndex()).center());
  static_cast<void>(QTest::qWaitFor([&] { return offered->shown; }, 10000));  // callers check
  return *offered;
}

// Answers the next "Replace by a link" dialog: the first twin it found, then "Replace file".
inline void ReplaceWithFirstTwin() {
  OnModal([](QDialog* d) { return d->objectName() == "ReplaceLinkDialog"; },
          [](QDialog* dialog) {
            auto* found = dialog->findChild<QListWidget*>(QStringLiteral("found"));
            QTest::mouseClick(found->viewport(), Qt::LeftButton, {},
                              found->visualItemRect(found->item(0)).center());
            for (auto* button : dialog->findChildren<QPushButton*>())
              if (button->text() == "Replace file") QTest::mouseClick(button, Qt::LeftButton);
          });
}

}  // namespace tf::testing
