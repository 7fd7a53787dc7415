#include "ui/shell/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

#include "app/main_commands.h"
#include "ui/qt_text.h"

namespace tf {

namespace {

// The program's icon, the same two sheets as the desktop entry's picture: the original
// and its twin. Drawn here so that the window needs no image plug-in.
QIcon programIcon() {
  QIcon icon;
  for (int size : {16, 32, 64}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);
    auto sheet = [&painter](QRectF rect, QColor fill, QColor ink) {
      painter.setPen(QPen(ink, 2));
      painter.setBrush(fill);
      painter.drawRoundedRect(rect, 3, 3);
      for (int line = 0; line < 3; ++line) {
        const double y = rect.top() + 10 + line * 6;
        painter.drawLine(QPointF(rect.left() + 6, y),
                         QPointF(rect.right() - (line == 2 ? 12 : 6), y));
      }
    };
    sheet(QRectF(6, 4, 32, 42), QColor(0xdf, 0xe8, 0xf3), QColor(0x2d, 0x5b, 0x8c));
    sheet(QRectF(26, 18, 32, 42), Qt::white, QColor(0xc0, 0x39, 0x2b));
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent), m_view(new QWidget(this)) {
  setObjectName(QStringLiteral("CMainFrame"));
  setWindowIcon(programIcon());
  m_view->setObjectName(QStringLiteral("MainView"));
  auto* layout = new QVBoxLayout(m_view);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  setCentralWidget(m_view);
  // The status texts have a pane of their own; the frame's bar stays hidden.
  statusBar()->hide();
  setMinimumSize(kFrameMinWidth, kFrameMinHeight);
  buildMenus();
}

CMainFrame::~CMainFrame() = default;

QAction* CMainFrame::addCommand(QMenu* menu, int id, const char* text, const char* keys,
                                const char* hint) {
  QAction* action = menu->addAction(QtText(text));
  action->setData(id);
  if (hint && *hint) {
    // The frame's status bar stays hidden: the hint shows as the item's tooltip.
    action->setToolTip(QtText(hint));
    action->setStatusTip(QtText(hint));
  }
  if (keys && *keys) {
    action->setShortcut(QKeySequence(QString::fromLatin1(keys)));
    // The keys work wherever the focus is in the frame, also while the menu is closed.
    action->setShortcutContext(Qt::WindowShortcut);
    addAction(action);
  }
  connect(action, &QAction::triggered, this, [this, id] {
    if (m_onCommand) m_onCommand(id);
  });
  return action;
}

QMenu* CMainFrame::addMenu(const MenuDefinition& definition) {
  QMenu* menu = menuBar()->addMenu(QtText(definition.title));
  menu->setToolTipsVisible(true);
  for (const MenuEntry& entry : definition.entries) {
    if (entry.id == 0)
      menu->addSeparator();
    else
      addCommand(menu, entry.id, entry.text, entry.keys, entry.hint);
  }
  return menu;
}

void CMainFrame::buildMenus() {
  for (const MenuDefinition& definition : MainMenus()) {
    m_menus.push_back(addMenu(definition));
    // "Select" acts on the results, like an edit menu beside the first one.
    if (m_menus.size() == 1) m_selectMenu = addMenu(SelectMenu());
  }
}

QAction* CMainFrame::action(int commandId) const {
  std::vector<QMenu*> menus = m_menus;
  menus.push_back(m_selectMenu);
  if (m_loadMasks) menus.push_back(m_loadMasks);
  for (QMenu* menu : menus)
    for (QAction* action : menu->actions())
      if (!action->menu() && action->data().toInt() == commandId) return action;
  return nullptr;
}

QMenu* CMainFrame::menu(int index) const {
  return index >= 0 && index < static_cast<int>(m_menus.size()) ? m_menus[index] : nullptr;
}

void CMainFrame::RebuildLoadMasksMenu(const std::vector<CollectionFile>& files) {
  QMenu* settings = menu(1);
  if (!settings) return;
  if (m_loadMasks) {
    settings->removeAction(m_loadMasks->menuAction());
    // Later: the rebuild may run inside one of this menu's own items.
    m_loadMasks->deleteLater();
    m_loadMasks = nullptr;
  }
  if (files.empty()) return;
  m_loadMasks = new QMenu(QtText(kLoadMasksMenuText), settings);
  for (size_t n = 0; n < files.size() && n < static_cast<size_t>(kMaxCollectionFiles); ++n) {
    const QString name = MenuText(files[n].name);
    const int id = kFirstLoadMasksCommand + static_cast<int>(n);
    QAction* item = m_loadMasks->addAction(name);
    item->setData(id);
    connect(item, &QAction::triggered, this, [this, id] {
      if (m_onCommand) m_onCommand(id);
    });
  }
  const QList<QAction*> actions = settings->actions();
  if (actions.size() > kLoadMasksPosition)
    settings->insertMenu(actions[kLoadMasksPosition], m_loadMasks);
  else
    settings->addMenu(m_loadMasks);
}

void CMainFrame::PlaceOnScreen() {
  QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const int caption = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
  const FramePlacement place = PlaceFrame(caption, area.x(), area.y(), area.width(), area.height());
  resize(place.width, place.height);
  move(place.x, place.y);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (m_onClose) m_onClose();
  event->accept();
}

}  // namespace tf
