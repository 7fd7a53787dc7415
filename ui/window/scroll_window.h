// ScrollWindow: a container that shows a content widget larger than itself and scrolls
// it with bars, keys and the wheel; the arithmetic comes from ScrollMath.
#pragma once

#include <QSize>
#include <QWidget>

#include "ui/layout/scroll_math.h"

class QScrollBar;

namespace tf {

class ScrollWindow : public QWidget {
  Q_OBJECT

 public:
  // Takes `content` out of its parent into a new container placed at the parent's origin
  // with the content's size. `initialSize` (null: the content's own size) is the least
  // size the content is ever given. The content is shown, the container when `show`.
  ScrollWindow(QWidget* content, const QSize* initialSize, bool show);
  ScrollWindow(const ScrollWindow&) = delete;
  ScrollWindow& operator=(const ScrollWindow&) = delete;

  // Gives the content back to the container's parent, where the container stood, and
  // hides the container. Deleting a detached container leaves the content alone.
  void Detach();

  // One scroll request on an axis (ScrollCode); `position` serves kScrollThumbPosition.
  void Scroll(bool horizontal, int code, int position = 0);

  QWidget* content() const { return m_content; }
  const ScrollMath& math() const { return m_math; }
  QScrollBar* horizontalBar() const { return m_horizontal; }
  QScrollBar* verticalBar() const { return m_vertical; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void relayout();
  void placeContent();
  void syncBar(QScrollBar* bar, const ScrollMath::Bar& state, bool horizontal);

  QWidget* m_content;
  QWidget* m_view;
  QScrollBar* m_horizontal;
  QScrollBar* m_vertical;
  ScrollMath m_math;
  bool m_syncing = false;
  int m_wheelDelta = 0;  // wheel turns not yet a whole notch
};

}  // namespace tf
