#include "ui/window/mc_main.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

#include "ui/qt_text.h"

namespace tf {

namespace {

constexpr int kTickMs = 50;

}  // namespace

MCMain::MCMain() {
  m_timer.setInterval(kTickMs);
  connect(&m_timer, &QTimer::timeout, this, [this] { tick(m_clock.elapsed()); });
}

MCMain::~MCMain() {
  Shutdown();
}

bool MCMain::Initialize(QWidget* mainWindow, const std::string& title) {
  if (m_initialized) return false;
  m_initialized = true;
  m_mainWindow = mainWindow;
  for (int i = 0; i < kLibraryFontCount; ++i) m_fonts[i] = LibraryFont(i);
  // Tooltips are switched off by swallowing their events for the whole program.
  if (qApp) qApp->installEventFilter(this);
  if (mainWindow) mainWindow->installEventFilter(this);
  SetTitle(title);
  m_clock.start();
  m_timer.start();
  return true;
}

void MCMain::Shutdown() {
  if (!m_initialized) return;
  m_initialized = false;
  m_timer.stop();
  if (qApp) qApp->removeEventFilter(this);
  if (m_mainWindow) m_mainWindow->removeEventFilter(this);
  m_mainWindow = nullptr;
  m_fonts = {};
}

void MCMain::SetRunning(int state) {
  m_ticks.SetRunning(state, m_clock.isValid() ? m_clock.elapsed() : 0);
}

void MCMain::SetTitle(const std::string& title) {
  m_title = title;
  if (m_mainWindow) m_mainWindow->setWindowTitle(QtText(title));
}

const QFont* MCMain::Font(int index) const {
  if (!m_initialized || index < 0 || index >= kLibraryFontCount) return nullptr;
  return &m_fonts[index];
}

void MCMain::Decorate(QWidget* control, int fontIndex, const std::string& toolTip) const {
  if (const QFont* font = Font(fontIndex)) control->setFont(*font);
  if (!toolTip.empty()) control->setToolTip(QtText(toolTip));
}

int MCMain::CommandState(int) {
  return kCommandEnabled;
}

void MCMain::applyState(QAction* action) {
  if (QMenu* sub = action->menu()) {
    UpdateMenuState(sub);
    return;
  }
  bool isCommand = false;
  const int id = action->data().toInt(&isCommand);
  if (!isCommand || id == 0 || action->isSeparator()) return;
  const int state = CommandState(id);
  action->setEnabled(!(state & kCommandDisabled));
  if (state & kCommandChecked) action->setCheckable(true);
  if (action->isCheckable()) action->setChecked(state & kCommandChecked);
}

void MCMain::UpdateMenuState(QMenu* menu) {
  if (!menu) return;
  for (QAction* action : menu->actions()) applyState(action);
}

void MCMain::UpdateMenuState(QMenuBar* menuBar) {
  if (!menuBar) return;
  for (QAction* action : menuBar->actions()) applyState(action);
}

void MCMain::WatchMenus(QMenuBar* menuBar) {
  if (!menuBar) return;
  for (QAction* action : menuBar->actions()) {
    QMenu* menu = action->menu();
    if (!menu) continue;
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateMenuState(menu); });
  }
}

void MCMain::WakeTick() {
  if (m_wakePosted.exchange(true, std::memory_order_acq_rel)) return;
  QMetaObject::invokeMethod(
      this,
      [this] {
        m_wakePosted.store(false, std::memory_order_release);
        if (m_initialized) tick(m_clock.elapsed());
      },
      Qt::QueuedConnection);
}

void MCMain::tick(int64_t nowMs) {
  // A tick that opens a dialog runs the event loop, which fires the timer again.
  if (m_inTick) return;
  m_inTick = true;
  if (m_ticks.Tick(m_active, nowMs) == TickCounter::Action::Inactive)
    OnInactiveTick();
  else
    OnBusyTick();
  m_inTick = false;
}

bool MCMain::eventFilter(QObject* watched, QEvent* event) {
  // A menu item's hint is its status text, not a control's tooltip: it shows either way.
  if (event->type() == QEvent::ToolTip && !m_toolTips && !qobject_cast<QMenu*>(watched))
    return true;
  if (watched == m_mainWindow && event->type() == QEvent::ActivationChange) {
    const bool active = m_mainWindow->isActiveWindow();
    if (active != m_active) {
      m_active = active;
      OnActivate(active);
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace tf
