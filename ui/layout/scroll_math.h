// ScrollMath: the arithmetic of a scroll window (a content larger than its view scrolls
// inside it): bar ranges, line and page steps, scroll requests, keys and the resize rule.
#pragma once

namespace tf {

// Scroll requests, in the order of the platform's scroll-bar codes.
enum ScrollCode {
  kScrollLineUp = 0,
  kScrollLineDown = 1,
  kScrollPageUp = 2,
  kScrollPageDown = 3,
  kScrollThumbPosition = 4,  // go to the given position
  kScrollThumbTrack = 5,     // the thumb is being dragged: the content waits for the drop
  kScrollTop = 6,
  kScrollBottom = 7,
};

enum class ScrollKey { Home, End, Up, Down, Left, Right };

class ScrollMath {
 public:
  struct Bar {
    bool visible = false;
    int maximum = 0;  // largest position: content extent minus view extent
    int page = 0;     // the view extent, the thumb's size
    int position = 0;
  };

  // A content whose initial size is also the least size it is ever given; the view
  // starts at that size, so nothing scrolls yet.
  ScrollMath(int initialWidth, int initialHeight);

  // The resize rule: a view that grows along an axis gives the growth back from that
  // position; the content becomes the view size, but never smaller than the initial one.
  void SetView(int width, int height);

  // One scroll request on an axis; `position` only serves kScrollThumbPosition. True when
  // the position changed (the content must then move to minus the positions).
  bool Scroll(bool horizontal, int code, int position = 0);
  // Keys move only when there is anything to scroll. True when a position changed.
  bool Key(ScrollKey key, bool ctrl);

  // A twentieth of the view, at least 1 and at most 20 pixels.
  static int LineStep(int viewExtent);
  // The view width minus 5 horizontally, the view height vertically.
  static int PageStep(bool horizontal, int viewExtent);

  Bar horizontalBar() const;
  Bar verticalBar() const;
  int x() const { return m_x; }
  int y() const { return m_y; }
  int contentWidth() const { return m_contentWidth; }
  int contentHeight() const { return m_contentHeight; }
  int viewWidth() const { return m_viewWidth; }
  int viewHeight() const { return m_viewHeight; }

 private:
  void updateBars();

  int m_initialWidth;
  int m_initialHeight;
  int m_contentWidth;
  int m_contentHeight;
  int m_viewWidth;
  int m_viewHeight;
  int m_x = 0;
  int m_y = 0;
  int m_maxX = 0;
  int m_maxY = 0;
};

}  // namespace tf
