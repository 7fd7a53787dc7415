// SplitLayout: the arithmetic of a split window (two panes and a bar between them): where
// the panes and the bar go for a container size, the drag ratio, fixed panes and the
// shown states. It knows nothing of widgets, so it is tested without a display.
#pragma once

#include "ui/layout/layout_rect.h"

namespace tf {

constexpr int kSplitBarThickness = 4;
constexpr int kUnknownPaneSize = -1;

// Pane selectors of SplitLayout and SplitWindow.
constexpr int kFirstPane = 0;
constexpr int kSecondPane = 1;
constexpr int kNoPane = -1;

// Indexes of GetPaneRect.
constexpr int kRectFirstPane = 0;
constexpr int kRectSecondPane = 1;
constexpr int kRectBar = 2;
constexpr int kRectSavedBar = 3;

// Requests of ShowPanes: 0 hide, 1 show, 2 toggle, anything else keeps the state.
constexpr int kPaneHide = 0;
constexpr int kPaneShow = 1;
constexpr int kPaneToggle = 2;

class SplitLayout {
 public:
  SplitLayout(bool stacked, double ratio);

  // Lays the panes and the bar out in a container of `width` by `height`. May change the
  // ratio and the fixed size (a fixed pane of unknown size takes its first extent).
  void Compute(int width, int height);

  // Accepted only from 0 to 1 inclusive; always returns the ratio in force.
  double SetRatio(double ratio);
  // On: `pane` becomes fixed at its current extent (from the last Compute). Off: no pane
  // is fixed. Returns the fixed size (kUnknownPaneSize when none).
  int SetFixedPane(int pane, bool on);
  // Sets the ratio so that `pane` gets `pixels` of a container `length` long (height when
  // stacked, else width). False when the container has no room beside the bar.
  bool SetPaneSize(int pane, int pixels, int length);
  // Applies the ShowPanes requests to the shown states.
  void ShowPanes(int firstRequest, int secondRequest);

  // Drag: Begin saves the bar; each step sets the ratio from the cursor; End stops.
  void BeginDrag();
  void EndDrag();
  // Ratio of a cursor at `cursor` over a container starting at `origin` and `length`
  // long (all along the split's length): 0 for an empty container, clamped to 0..1.
  static double DragRatio(int cursor, int origin, int length);

  // False for an index other than the kRect* ones.
  bool GetPaneRect(int index, LayoutRect* out) const;

  bool stacked() const { return m_stacked; }
  double ratio() const { return m_ratio; }
  double initialRatio() const { return m_initialRatio; }
  bool dragging() const { return m_dragging; }
  bool locked() const { return m_locked; }
  void setLocked(bool locked) { m_locked = locked; }
  int fixedSize() const { return m_fixedSize; }
  bool firstShown() const { return m_firstShown; }
  bool secondShown() const { return m_secondShown; }
  // The bar is shown only while both panes are.
  bool barShown() const { return m_firstShown && m_secondShown; }
  // Whether each pane has a window; a missing one gives the other the whole container.
  void setPanesPresent(bool first, bool second) {
    m_hasFirst = first;
    m_hasSecond = second;
  }
  const LayoutRect& first() const { return m_first; }
  const LayoutRect& second() const { return m_second; }
  const LayoutRect& bar() const { return m_bar; }
  const LayoutRect& savedBar() const { return m_savedBar; }

 private:
  // A rectangle from `start` to `end` along the length, across the whole other side.
  LayoutRect span(int start, int end, int width, int height) const;
  int extentOf(const LayoutRect& rect) const;
  void learnFixedSize(int firstExtent, int secondExtent, int available);

  bool m_stacked;
  double m_ratio;
  double m_initialRatio;
  bool m_dragging = false;
  bool m_locked = false;
  int m_fixedPane = kNoPane;
  int m_fixedSize = kUnknownPaneSize;
  bool m_firstShown = true;
  bool m_secondShown = true;
  bool m_hasFirst = true;
  bool m_hasSecond = true;
  LayoutRect m_first;
  LayoutRect m_second;
  LayoutRect m_bar;
  LayoutRect m_savedBar;
};

// ShowContainer states: 0 hide, 1 show, 2 toggle; kContainerSuppress adds a bit that keeps
// the container hidden whatever the rest says, kContainerUnsuppress removes it.
constexpr int kContainerSuppress = 16;
constexpr int kContainerUnsuppress = 0xFF0F;

// The container state after `request`; other requests leave it as it is.
int CombineContainerState(int state, int request);
// The container is visible exactly when its combined state is 1.
inline bool ContainerVisible(int state) {
  return state == 1;
}

}  // namespace tf
