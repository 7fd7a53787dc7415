#include "ui/layout/split_layout.h"

namespace tf {

SplitLayout::SplitLayout(bool stacked, double ratio)
    : m_stacked(stacked), m_ratio(ratio), m_initialRatio(ratio) {}

LayoutRect SplitLayout::span(int start, int end, int width, int height) const {
  return m_stacked ? LayoutRect{0, start, width, end} : LayoutRect{start, 0, end, height};
}

int SplitLayout::extentOf(const LayoutRect& rect) const {
  return m_stacked ? rect.height() : rect.width();
}

void SplitLayout::Compute(int width, int height) {
  m_first = m_second = m_bar = LayoutRect{};
  if (!m_hasFirst && !m_hasSecond) return;
  const LayoutRect client{0, 0, width, height};
  if (m_firstShown && !m_secondShown) {
    m_first = client;
    return;
  }
  if (m_secondShown && !m_firstShown) {
    m_second = client;
    return;
  }
  // A drag decides the size anew; the fixed pane learns it again below.
  if (m_dragging && !m_locked) m_fixedSize = kUnknownPaneSize;

  const int length = m_stacked ? height : width;
  m_bar = span(0, kSplitBarThickness, width, height);
  if (length <= kSplitBarThickness) return;
  if (!m_hasFirst || !m_hasSecond) {
    (m_hasFirst ? m_first : m_second) = client;
    return;
  }
  const int available = length - kSplitBarThickness;
  if (m_ratio >= 1) {
    m_first = span(0, available, width, height);
    m_bar = span(available, length, width, height);
    // Without a known fixed size the first pane keeps everything but the bar: deriving a
    // ratio from the unknown size would make it negative and hide the first pane for good.
    if (m_fixedSize < 0) {
      learnFixedSize(available, 0, available);
      return;
    }
    m_ratio = static_cast<double>(m_fixedSize) / available;
    if (m_ratio >= 1) return;
  }

  int firstExtent;
  if (m_fixedPane == kFirstPane && m_fixedSize >= 0) {
    firstExtent = m_fixedSize;
  } else if (m_fixedPane == kSecondPane && m_fixedSize >= 0) {
    firstExtent = available - m_fixedSize;
  } else {
    firstExtent = static_cast<int>(available * m_ratio);
  }
  const int secondExtent = available - firstExtent;
  m_first = span(0, firstExtent, width, height);
  m_bar = span(firstExtent, firstExtent + kSplitBarThickness, width, height);
  m_second = span(length - secondExtent, length, width, height);
  learnFixedSize(firstExtent, secondExtent, available);
}

void SplitLayout::learnFixedSize(int firstExtent, int secondExtent, int available) {
  if (m_fixedPane == kNoPane || m_fixedSize >= 0 || available <= 0) return;
  if (m_fixedPane == kFirstPane) {
    m_fixedSize = firstExtent;
    m_ratio = static_cast<double>(firstExtent) / available;
  } else {
    m_fixedSize = secondExtent;
    m_ratio = 1.0 - static_cast<double>(secondExtent) / available;
  }
}

double SplitLayout::SetRatio(double ratio) {
  if (ratio >= 0.0 && ratio <= 1.0) m_ratio = ratio;
  return m_ratio;
}

int SplitLayout::SetFixedPane(int pane, bool on) {
  if (!on) {
    m_fixedPane = kNoPane;
    m_fixedSize = kUnknownPaneSize;
  } else if (pane == kFirstPane || pane == kSecondPane) {
    m_fixedPane = pane;
    m_fixedSize = extentOf(pane == kFirstPane ? m_first : m_second);
  }
  return m_fixedSize;
}

bool SplitLayout::SetPaneSize(int pane, int pixels, int length) {
  const int available = length - kSplitBarThickness;
  if (available <= 0 || (pane != kFirstPane && pane != kSecondPane)) return false;
  const double share = static_cast<double>(pixels) / available;
  m_ratio = pane == kFirstPane ? share : 1.0 - share;
  return true;
}

namespace {

bool applyShowRequest(bool shown, int request) {
  switch (request) {
    case kPaneHide:
      return false;
    case kPaneShow:
      return true;
    case kPaneToggle:
      return !shown;
    default:
      return shown;
  }
}

}  // namespace

void SplitLayout::ShowPanes(int firstRequest, int secondRequest) {
  m_firstShown = applyShowRequest(m_firstShown, firstRequest);
  m_secondShown = applyShowRequest(m_secondShown, secondRequest);
}

void SplitLayout::BeginDrag() {
  if (m_locked) return;
  m_savedBar = m_bar;
  m_dragging = true;
}

void SplitLayout::EndDrag() {
  m_dragging = false;
}

double SplitLayout::DragRatio(int cursor, int origin, int length) {
  if (length < 1) return 0.0;
  const double ratio = static_cast<double>(cursor - origin) / length;
  return ratio < 0.0 ? 0.0 : ratio > 1.0 ? 1.0 : ratio;
}

bool SplitLayout::GetPaneRect(int index, LayoutRect* out) const {
  switch (index) {
    case kRectFirstPane:
      *out = m_first;
      return true;
    case kRectSecondPane:
      *out = m_second;
      return true;
    case kRectBar:
      *out = m_bar;
      return true;
    case kRectSavedBar:
      *out = m_savedBar;
      return true;
    default:
      return false;
  }
}

int CombineContainerState(int state, int request) {
  switch (request) {
    case 0:
      return state & ~1;
    case 1:
      return state | 1;
    case 2:
      return state ^ 1;
    case kContainerSuppress:
      return state | kContainerSuppress;
    case kContainerUnsuppress:
      return state & kContainerUnsuppress;
    default:
      return state;
  }
}

}  // namespace tf
