#include "ui/window/split_window.h"

#include <algorithm>

#include <QResizeEvent>

#include "ui/window/splitter_bar.h"

namespace tf {

namespace {

QRect toQRect(const LayoutRect& r) {
  // Fixed sizes are not clamped, so a pane may come out inverted: it then gets no room.
  return QRect(r.left, r.top, std::max(0, r.width()), std::max(0, r.height()));
}

}  // namespace

SplitWindow::SplitWindow(QWidget* parent, const QRect* rect, QWidget* first, QWidget* second,
                         bool stacked, double ratio)
    : QWidget(parent), m_layout(stacked, ratio), m_first(first), m_second(second) {
  setObjectName("MCSplitWinClass");
  if (rect)
    setGeometry(*rect);
  else if (parent)
    setGeometry(parent->rect());
  m_ghost = new SplitterBar(this, true);
  m_ghost->hide();
  m_bar = new SplitterBar(this, false);
  for (QWidget* pane : {m_first, m_second}) {
    if (!pane) continue;
    pane->setParent(this);
    pane->show();
  }
  Layout();
}

SplitWindow::~SplitWindow() = default;

QWidget* SplitWindow::bar() const {
  return m_bar;
}
QWidget* SplitWindow::ghostBar() const {
  return m_ghost;
}

void SplitWindow::Destroy(bool destroyFirst, bool destroySecond) {
  QWidget** panes[] = {&m_first, &m_second};
  const bool destroy[] = {destroyFirst, destroySecond};
  for (int i = 0; i < 2; ++i) {
    QWidget* pane = *panes[i];
    *panes[i] = nullptr;
    if (!pane) continue;
    if (destroy[i]) {
      delete pane;
    } else {
      pane->hide();
      pane->setParent(nullptr);
    }
  }
  hide();
}

void SplitWindow::SetPane(int pane, QWidget* window) {
  if (pane != kFirstPane && pane != kSecondPane) return;
  QWidget*& slot = pane == kFirstPane ? m_first : m_second;
  if (slot && slot != window) slot->hide();
  slot = window;
  if (window && window->parentWidget() != this) window->setParent(this);
  Layout();
  if (m_first && m_layout.firstShown()) m_first->show();
  if (m_second && m_layout.secondShown()) m_second->show();
}

void SplitWindow::ShowPanes(int firstRequest, int secondRequest) {
  m_layout.ShowPanes(firstRequest, secondRequest);
  if (m_first) m_first->setVisible(m_layout.firstShown());
  if (m_second) m_second->setVisible(m_layout.secondShown());
  m_bar->setVisible(m_layout.barShown());
  Layout();
}

int SplitWindow::SetFixedPane(int pane, bool on) {
  return m_layout.SetFixedPane(pane, on);
}

void SplitWindow::SetPaneSize(int pane, int pixels) {
  if (m_layout.SetPaneSize(pane, pixels, m_layout.stacked() ? height() : width())) Layout();
}

double SplitWindow::SetRatio(double ratio) {
  if (ratio < 0.0 || ratio > 1.0) return m_layout.ratio();
  m_layout.SetRatio(ratio);
  Layout();
  return m_layout.ratio();
}

void SplitWindow::ShowContainer(int request) {
  m_containerState = CombineContainerState(m_containerState, request);
  setVisible(ContainerVisible(m_containerState));
}

bool SplitWindow::GetPaneRect(int index, QRect* out) const {
  LayoutRect rect;
  if (!m_layout.GetPaneRect(index, &rect)) return false;
  *out = toQRect(rect);
  return true;
}

void SplitWindow::SetLocked(bool locked) {
  m_layout.setLocked(locked);
  m_bar->updateCursor();
  m_bar->update();
}

void SplitWindow::Layout() {
  m_layout.setPanesPresent(m_first != nullptr, m_second != nullptr);
  m_layout.Compute(width(), height());
  applyLayout();
}

void SplitWindow::applyLayout() {
  if (m_layout.barShown()) {
    m_bar->setGeometry(toQRect(m_layout.bar()));
    m_bar->show();
  } else {
    m_bar->hide();
  }
  if (m_first && m_layout.firstShown()) m_first->setGeometry(toQRect(m_layout.first()));
  if (m_second && m_layout.secondShown()) m_second->setGeometry(toQRect(m_layout.second()));
  update();
}

void SplitWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Layout();
}

void SplitWindow::beginDrag(const QPoint& globalPos) {
  if (m_inDragEdge || m_layout.locked()) return;
  m_inDragEdge = true;
  m_layout.BeginDrag();
  m_ghost->setGeometry(toQRect(m_layout.savedBar()));
  m_ghost->show();
  m_inDragEdge = false;
  dragStep(globalPos);
}

void SplitWindow::dragStep(const QPoint& globalPos) {
  if (m_inDragStep || !m_layout.dragging()) return;
  m_inDragStep = true;
  const QPoint origin = mapToGlobal(QPoint(0, 0));
  const bool stacked = m_layout.stacked();
  m_layout.SetRatio(SplitLayout::DragRatio(stacked ? globalPos.y() : globalPos.x(),
                                           stacked ? origin.y() : origin.x(),
                                           stacked ? height() : width()));
  // Only the bar follows the mouse; the panes move when the button is let go.
  m_layout.setPanesPresent(m_first != nullptr, m_second != nullptr);
  m_layout.Compute(width(), height());
  m_bar->setGeometry(toQRect(m_layout.bar()));
  m_bar->raise();
  m_bar->update();
  m_inDragStep = false;
}

void SplitWindow::endDrag() {
  if (m_inDragEdge || !m_layout.dragging()) return;
  m_inDragEdge = true;
  m_layout.EndDrag();
  m_ghost->hide();
  Layout();
  m_bar->update();
  m_inDragEdge = false;
}

}  // namespace tf
