#include "ui/layout/scroll_math.h"

#include <algorithm>

namespace tf {

ScrollMath::ScrollMath(int initialWidth, int initialHeight)
    : m_initialWidth(initialWidth),
      m_initialHeight(initialHeight),
      m_contentWidth(initialWidth),
      m_contentHeight(initialHeight),
      m_viewWidth(initialWidth),
      m_viewHeight(initialHeight) {
  updateBars();
}

int ScrollMath::LineStep(int viewExtent) {
  return std::clamp(viewExtent / 20, 1, 20);
}

int ScrollMath::PageStep(bool horizontal, int viewExtent) {
  return horizontal ? viewExtent - 5 : viewExtent;
}

void ScrollMath::updateBars() {
  m_maxX = m_contentWidth - m_viewWidth;
  m_maxY = m_contentHeight - m_viewHeight;
  if (m_maxX < 1) m_maxX = 0;
  if (m_maxY < 1) m_maxY = 0;
  // A hidden bar scrolls nothing; a shorter range never leaves the position past its end.
  m_x = std::clamp(m_x, 0, m_maxX);
  m_y = std::clamp(m_y, 0, m_maxY);
}

void ScrollMath::SetView(int width, int height) {
  if (width > m_viewWidth) m_x = std::max(0, m_x - (width - m_viewWidth));
  if (height > m_viewHeight) m_y = std::max(0, m_y - (height - m_viewHeight));
  m_viewWidth = width;
  m_viewHeight = height;
  m_contentWidth = std::max(width, m_initialWidth);
  m_contentHeight = std::max(height, m_initialHeight);
  updateBars();
}

bool ScrollMath::Scroll(bool horizontal, int code, int position) {
  const int view = horizontal ? m_viewWidth : m_viewHeight;
  const int maximum = horizontal ? m_maxX : m_maxY;
  int& current = horizontal ? m_x : m_y;
  int target = current;
  switch (code) {
    case kScrollLineUp:
      target -= LineStep(view);
      break;
    case kScrollLineDown:
      target += LineStep(view);
      break;
    case kScrollPageUp:
      target -= PageStep(horizontal, view);
      break;
    case kScrollPageDown:
      target += PageStep(horizontal, view);
      break;
    case kScrollThumbPosition:
      target = position;
      break;
    case kScrollTop:
      target = 0;
      break;
    case kScrollBottom:
      target = maximum;
      break;
    default:  // thumb tracking and anything unknown
      return false;
  }
  target = std::clamp(target, 0, maximum);
  if (target == current) return false;
  current = target;
  return true;
}

bool ScrollMath::Key(ScrollKey key, bool ctrl) {
  if (m_maxX < 1 && m_maxY < 1) return false;
  switch (key) {
    case ScrollKey::Home:
      return Scroll(ctrl, kScrollTop);
    case ScrollKey::End:
      return Scroll(ctrl, kScrollBottom);
    case ScrollKey::Up:
      return Scroll(false, ctrl ? kScrollPageUp : kScrollLineUp);
    case ScrollKey::Down:
      return Scroll(false, ctrl ? kScrollPageDown : kScrollLineDown);
    case ScrollKey::Left:
      return Scroll(true, ctrl ? kScrollPageUp : kScrollLineUp);
    case ScrollKey::Right:
      return Scroll(true, ctrl ? kScrollPageDown : kScrollLineDown);
  }
  return false;
}

ScrollMath::Bar ScrollMath::horizontalBar() const {
  return {m_maxX >= 1, m_maxX, m_viewWidth, m_x};
}

ScrollMath::Bar ScrollMath::verticalBar() const {
  return {m_maxY >= 1, m_maxY, m_viewHeight, m_y};
}

}  // namespace tf
