#include "ui/window/mc_main.h"

#include <map>

#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QHelpEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace tf {
namespace {

class ScriptedMain : public MCMain {
 public:
  std::map<int, int> states;  // command id -> state; missing ids are enabled
  int busyTicks = 0;
  int asked = 0;
  bool nestTick = false;

  int CommandState(int commandId) override {
    ++asked;
    auto it = states.find(commandId);
    return it == states.end() ? kCommandEnabled : it->second;
  }

 protected:
  void OnBusyTick() override {
    ++busyTicks;
    if (nestTick) TEST_Tick(0);  // as a dialog opened from a tick would
  }
};

QAction* AddCommand(QMenu* menu, const char* text, int id) {
  QAction* action = menu->addAction(text);
  action->setData(id);
  return action;
}

// Counts the tooltip events that reach it.
class TipProbe : public QWidget {
 public:
  int tips = 0;

 protected:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::ToolTip) ++tips;
    return QWidget::event(e);
  }
};

// One program's life: its menus follow the command states as they open, its timer ticks
// until shutdown, its fonts survive missing families and its tooltips can be switched off.
TEST(MCMain, MenusTimerFontsAndTooltips) {
  ScriptedMain app;
  QWidget window;
  ASSERT_TRUE(app.Initialize(&window, "Quorvan Twinfold"));
  EXPECT_FALSE(app.Initialize(&window, "again"));
  QMenuBar bar;
  QMenu* find = bar.addMenu("&Find");
  QAction* start = AddCommand(find, "&Start search", 32813);
  QAction* stop = AddCommand(find, "Sto&p search", 32814);
  find->addSeparator();
  QAction* plain = find->addAction("no command");
  QMenu* settings = bar.addMenu("&Settings");
  QAction* mask = AddCommand(settings->addMenu("&Load masks"), "one.mcf", 40000);

  // Only the menu about to open is updated (with its sub-menus), and of it only the
  // entries that name a command.
  app.states = {{32813, kCommandDisabled}, {40000, kCommandDisabled | kCommandChecked}};
  app.WatchMenus(&bar);
  emit find->aboutToShow();
  EXPECT_FALSE(start->isEnabled());
  EXPECT_TRUE(stop->isEnabled());
  EXPECT_TRUE(plain->isEnabled());
  EXPECT_EQ(app.asked, 2);
  EXPECT_TRUE(mask->isEnabled());
  emit settings->aboutToShow();
  EXPECT_FALSE(mask->isEnabled());
  EXPECT_TRUE(mask->isChecked());
  app.states.clear();
  emit settings->aboutToShow();
  EXPECT_TRUE(mask->isEnabled());
  EXPECT_FALSE(mask->isChecked());

  // The missing families fall back to what the desktop has, keeping the pitch.
  EXPECT_TRUE(QFontInfo(*app.Font(4)).fixedPitch());
  EXPECT_FALSE(QFontInfo(*app.Font(0)).fixedPitch());
  TipProbe probe;
  app.Decorate(&probe, 2, "Start search");
  QHelpEvent tip(QEvent::ToolTip, QPoint(1, 1), QPoint(1, 1));
  QApplication::sendEvent(&probe, &tip);
  app.SetToolTips(false);
  QApplication::sendEvent(&probe, &tip);
  EXPECT_EQ(probe.tips, 1);
  app.SetToolTips(true);
  QApplication::sendEvent(&probe, &tip);
  EXPECT_EQ(probe.tips, 2);

  QTest::qWait(200);
  EXPECT_GE(app.busyTicks, 2);
  app.SetRunning(1);
  app.TEST_Tick(100000);  // the tick's clock reaches the seconds count
  EXPECT_GE(app.seconds(), 99);
  EXPECT_LE(app.seconds(), 100);
  // A tick that starts another tick (a dialog's own loop) is not run again inside it.
  app.nestTick = true;
  const int before = app.busyTicks;
  app.TEST_Tick(0);
  EXPECT_EQ(app.busyTicks, before + 1);
  app.Shutdown();
  const int after = app.busyTicks;
  QTest::qWait(120);
  EXPECT_EQ(app.busyTicks, after);
}

}  // namespace
}  // namespace tf
