// MCMain: the application base of the window program: the 50 ms timer and its ticks, the
// running seconds counter, the shared fonts, tooltips, the title and menu-state updating.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include <QElapsedTimer>
#include <QFont>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include "ui/layout/tick_counter.h"
#include "ui/window/library_fonts.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace tf {

// Command states answered by CommandState; bit 0 shows a check mark.
constexpr int kCommandEnabled = 0;
constexpr int kCommandChecked = 1;
constexpr int kCommandDisabled = 2;

class MCMain : public QObject {
  Q_OBJECT

 public:
  MCMain();
  ~MCMain() override;
  MCMain(const MCMain&) = delete;
  MCMain& operator=(const MCMain&) = delete;

  // Starts the timer, makes the fonts and watches `mainWindow` (may be null) for
  // activation; the title goes onto it. False when already initialised.
  bool Initialize(QWidget* mainWindow, const std::string& title);
  // Stops the timer and lets go of the window and the fonts; a second call does nothing.
  void Shutdown();

  // Stores the running state; 1 also restarts the seconds count from now.
  void SetRunning(int state);
  int running() const { return m_ticks.running(); }
  int32_t seconds() const { return m_ticks.seconds(); }
  void setSeconds(int32_t seconds) { m_ticks.setSeconds(seconds); }
  bool active() const { return m_active; }

  void SetTitle(const std::string& title);
  const std::string& title() const { return m_title; }

  // The shared font of `index`, or null outside 0 to 7 (the control keeps its own).
  const QFont* Font(int index) const;
  // Gives `control` the shared font of `fontIndex` and, when not empty, a tooltip.
  void Decorate(QWidget* control, int fontIndex, const std::string& toolTip) const;

  // Tooltips of the whole program on or off.
  void SetToolTips(bool on) { m_toolTips = on; }
  bool toolTips() const { return m_toolTips; }

  // Asks CommandState for every action that carries a command id in its data, recursing
  // into sub-menus, and enables, disables and checks it accordingly.
  void UpdateMenuState(QMenu* menu);
  void UpdateMenuState(QMenuBar* menuBar);
  // Updates each menu of `menuBar` just before it opens.
  void WatchMenus(QMenuBar* menuBar);

  // The state of a command (kCommandEnabled, kCommandDisabled, kCommandChecked bits).
  virtual int CommandState(int commandId);

  // From any thread: one tick soon on the window's thread, beside the timer's. Calls that
  // come before that tick has run make no further ticks.
  void WakeTick();

  // Runs one timer tick as if the clock read `nowMs`.
  void TEST_Tick(int64_t nowMs) { tick(nowMs); }

 protected:
  // Each tick while the main window is active, and while it is not.
  virtual void OnBusyTick() {}
  virtual void OnInactiveTick() {}
  // The main window became active or inactive.
  virtual void OnActivate(bool /*active*/) {}

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void tick(int64_t nowMs);
  void applyState(QAction* action);

  bool m_initialized = false;
  QPointer<QWidget> m_mainWindow;
  QTimer m_timer;
  QElapsedTimer m_clock;
  TickCounter m_ticks;
  bool m_inTick = false;
  std::atomic<bool> m_wakePosted{false};
  bool m_active = true;
  bool m_toolTips = true;
  std::string m_title;
  std::array<QFont, kLibraryFontCount> m_fonts;
};

}  // namespace tf
