#include "ui/window/splitter_bar.h"

#include <QMouseEvent>
#include <QPainter>

#include "ui/window/split_window.h"

namespace tf {

SplitterBar::SplitterBar(SplitWindow* split, bool ghost)
    : QWidget(split), m_split(split), m_ghost(ghost) {
  setObjectName("MCSplitterClass");
  updateCursor();
}

void SplitterBar::updateCursor() {
  if (m_ghost || m_split->IsLocked())
    unsetCursor();
  else
    setCursor(m_split->layoutState().stacked() ? Qt::SizeVerCursor : Qt::SizeHorCursor);
}

void SplitterBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const SplitLayout& layout = m_split->layoutState();
  if (!m_ghost && layout.dragging()) {
    painter.fillRect(rect(), QColor(128, 128, 128));
    return;
  }
  painter.fillRect(rect(), palette().button());
  // A raised edge: light on the start side, dark on the far side; sunken when locked.
  QColor start = layout.locked() ? Qt::black : Qt::white;
  QColor end = layout.locked() ? Qt::white : Qt::black;
  const QRect r = rect();
  if (layout.stacked()) {
    painter.setPen(start);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.setPen(end);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
  } else {
    painter.setPen(start);
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(end);
    painter.drawLine(r.topRight(), r.bottomRight());
  }
}

void SplitterBar::mousePressEvent(QMouseEvent* event) {
  if (m_ghost || event->button() != Qt::LeftButton || m_split->IsLocked()) {
    QWidget::mousePressEvent(event);
    return;
  }
  m_split->beginDrag(event->globalPosition().toPoint());
}

void SplitterBar::mouseMoveEvent(QMouseEvent* event) {
  if (!m_split->layoutState().dragging()) return;
  // A move without the button means the press was lost (another window took the mouse).
  if (!(event->buttons() & Qt::LeftButton))
    m_split->endDrag();
  else
    m_split->dragStep(event->globalPosition().toPoint());
}

void SplitterBar::mouseReleaseEvent(QMouseEvent* event) {
  if (!m_split->layoutState().dragging()) return;
  m_split->dragStep(event->globalPosition().toPoint());
  m_split->endDrag();
}

}  // namespace tf
