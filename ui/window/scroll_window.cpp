#include "ui/window/scroll_window.h"

#include <algorithm>

#include <QKeyEvent>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

namespace tf {

ScrollWindow::ScrollWindow(QWidget* content, const QSize* initialSize, bool show)
    : QWidget(content->parentWidget()),
      m_content(content),
      m_view(new QWidget(this)),
      m_horizontal(new QScrollBar(Qt::Horizontal, this)),
      m_vertical(new QScrollBar(Qt::Vertical, this)),
      m_math(initialSize ? initialSize->width() : content->width(),
             initialSize ? initialSize->height() : content->height()) {
  setObjectName("MCScrollClass");
  setFocusPolicy(Qt::StrongFocus);
  setGeometry(QRect(QPoint(0, 0), content->size()));
  m_horizontal->hide();
  m_vertical->hide();
  // Dragging the thumb scrolls when it is dropped, not on every step.
  for (QScrollBar* bar : {m_horizontal, m_vertical}) {
    const bool horizontal = bar == m_horizontal;
    bar->setTracking(false);
    connect(bar, &QScrollBar::valueChanged, this, [this, horizontal](int value) {
      if (!m_syncing) Scroll(horizontal, kScrollThumbPosition, value);
    });
  }
  m_content->setParent(m_view);
  m_content->move(0, 0);
  m_content->show();
  relayout();
  setVisible(show);
}

void ScrollWindow::Detach() {
  if (!m_content) return;
  QWidget* content = m_content;
  m_content = nullptr;
  content->setParent(parentWidget());
  content->move(pos());
  content->show();
  hide();
}

void ScrollWindow::relayout() {
  // A bar that appears takes room from the view, which may call for the other bar; two
  // rounds settle it, a third covers a bar that goes away again.
  const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  bool horizontal = m_math.horizontalBar().visible;
  bool vertical = m_math.verticalBar().visible;
  for (int round = 0; round < 3; ++round) {
    m_math.SetView(std::max(0, width() - (vertical ? extent : 0)),
                   std::max(0, height() - (horizontal ? extent : 0)));
    const bool h = m_math.horizontalBar().visible;
    const bool v = m_math.verticalBar().visible;
    if (h == horizontal && v == vertical) break;
    horizontal = h;
    vertical = v;
  }
  const int viewWidth = m_math.viewWidth();
  const int viewHeight = m_math.viewHeight();
  m_view->setGeometry(0, 0, viewWidth, viewHeight);
  m_horizontal->setGeometry(0, viewHeight, viewWidth, height() - viewHeight);
  m_vertical->setGeometry(viewWidth, 0, width() - viewWidth, viewHeight);
  syncBar(m_horizontal, m_math.horizontalBar(), true);
  syncBar(m_vertical, m_math.verticalBar(), false);
  placeContent();
}

void ScrollWindow::syncBar(QScrollBar* bar, const ScrollMath::Bar& state, bool horizontal) {
  m_syncing = true;
  bar->setRange(0, state.maximum);
  bar->setSingleStep(ScrollMath::LineStep(state.page));
  bar->setPageStep(std::max(1, ScrollMath::PageStep(horizontal, state.page)));
  bar->setValue(state.position);
  bar->setVisible(state.visible);
  m_syncing = false;
}

void ScrollWindow::placeContent() {
  if (!m_content) return;
  m_content->setGeometry(-m_math.x(), -m_math.y(), m_math.contentWidth(), m_math.contentHeight());
}

void ScrollWindow::Scroll(bool horizontal, int code, int position) {
  if (!m_math.Scroll(horizontal, code, position)) return;
  syncBar(horizontal ? m_horizontal : m_vertical,
          horizontal ? m_math.horizontalBar() : m_math.verticalBar(), horizontal);
  placeContent();
}

void ScrollWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  relayout();
}

void ScrollWindow::keyPressEvent(QKeyEvent* event) {
  static const struct {
    int qtKey;
    ScrollKey key;
  } kKeys[] = {{Qt::Key_Home, ScrollKey::Home}, {Qt::Key_End, ScrollKey::End},
               {Qt::Key_Up, ScrollKey::Up},     {Qt::Key_Down, ScrollKey::Down},
               {Qt::Key_Left, ScrollKey::Left}, {Qt::Key_Right, ScrollKey::Right}};
  for (const auto& entry : kKeys) {
    if (entry.qtKey != event->key()) continue;
    // A key that scrolls nothing is left to the windows around.
    if (!m_math.Key(entry.key, event->modifiers() & Qt::ControlModifier)) break;
    syncBar(m_horizontal, m_math.horizontalBar(), true);
    syncBar(m_vertical, m_math.verticalBar(), false);
    placeContent();
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

void ScrollWindow::wheelEvent(QWheelEvent* event) {
  if (!m_math.verticalBar().visible) {
    event->ignore();
    return;
  }
  // Three lines a notch, as desktop lists scroll; touchpads send parts of notches.
  m_wheelDelta += event->angleDelta().y();
  const int notches = m_wheelDelta / 120;
  m_wheelDelta -= notches * 120;
  for (int i = 0; i < 3 * std::abs(notches); ++i)
    Scroll(false, notches > 0 ? kScrollLineUp : kScrollLineDown);
  event->accept();
}

}  // namespace tf
