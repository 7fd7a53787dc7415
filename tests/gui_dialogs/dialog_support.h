// Helpers of the dialog tests: driving a modal dialog from inside its own event loop, clicks
// and typing, and reading back the settings file the program wrote at shutdown.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "settings/settings_store.h"
#include "tests/gui_main/main_window_support.h"

namespace tf::testing {

// Runs `step` on the modal dialog of type T as soon as it is the active modal widget;
// the step ends the dialog. Gives up after ten seconds, so a dialog that never shows
// fails the test instead of driving a later one.
template <typename T>
void WhenShown(std::function<void(T*)> step) {
  auto* timer = new QTimer(qApp);
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, clock, step] {
    T* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    if (!dialog && clock->elapsed() < 10000) return;
    timer->stop();
    timer->deleteLater();
    if (dialog) step(dialog);
  });
  timer->start();
}

// Near the left edge: a check box or option button answers only on its mark and text.
inline void Click(QAbstractButton* button) {
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

// Replaces the box's text by typing, as a person would.
inline void TypeInto(QLineEdit* box, const std::string& text) {
  box->setFocus();
  box->selectAll();
  QTest::keyClick(box, Qt::Key_Delete);
  QTest::keyClicks(box, QString::fromStdString(text));
}

// The options as the settings file holds them after the program ended.
struct StoredSettings {
  explicit StoredSettings(const std::string& file) { loaded = store.Load(file) != 0; }
  SettingsStore store;
  bool loaded = false;
};

}  // namespace tf::testing
