// SplitWindow: a container holding two panes, side by side or stacked, with a bar between
// them that the mouse drags; the geometry comes from SplitLayout.
#pragma once

#include <QRect>
#include <QWidget>

#include "ui/layout/split_layout.h"

namespace tf {

class SplitterBar;

class SplitWindow : public QWidget {
  Q_OBJECT

 public:
  // A container in `parent` at `rect` (null: over the parent's whole client area) that
  // takes both panes (either may be null) as its children and lays them out, the first
  // getting `ratio` of the length. Panes stay the caller's to delete (see Destroy).
  SplitWindow(QWidget* parent, const QRect* rect, QWidget* first, QWidget* second, bool stacked,
              double ratio);
  ~SplitWindow() override;
  SplitWindow(const SplitWindow&) = delete;
  SplitWindow& operator=(const SplitWindow&) = delete;

  // Deletes the panes asked for and hands the others back without a parent, hidden; the
  // container is then empty and hidden, ready to be deleted by its owner.
  void Destroy(bool destroyFirst, bool destroySecond);

  // Puts `window` into pane kFirstPane or kSecondPane; the previous window is hidden and
  // stays a child of the container.
  void SetPane(int pane, QWidget* window);
  // kPaneHide, kPaneShow, kPaneToggle, or any other value to keep, for each pane.
  void ShowPanes(int firstRequest, int secondRequest);
  // See SplitLayout::SetFixedPane.
  int SetFixedPane(int pane, bool on);
  // Gives `pane` that many pixels of the current length and lays out.
  void SetPaneSize(int pane, int pixels);
  // Accepted from 0 to 1 inclusive; returns the ratio in force.
  double SetRatio(double ratio);
  // 0 hide, 1 show, 2 toggle, kContainerSuppress, kContainerUnsuppress.
  void ShowContainer(int request);
  // kRectFirstPane, kRectSecondPane, kRectBar, kRectSavedBar; false for other indexes.
  bool GetPaneRect(int index, QRect* out) const;
  // A locked bar is not dragged and shows no sizing cursor.
  void SetLocked(bool locked);
  bool IsLocked() const { return m_layout.locked(); }

  // Computes the layout for the current size and moves the bar and the shown panes.
  void Layout();

  QWidget* pane(int which) const { return which == kFirstPane ? m_first : m_second; }
  QWidget* bar() const;
  QWidget* ghostBar() const;
  const SplitLayout& layoutState() const { return m_layout; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  friend class SplitterBar;
  void beginDrag(const QPoint& globalPos);
  void dragStep(const QPoint& globalPos);
  void endDrag();
  void applyLayout();

  SplitLayout m_layout;
  QWidget* m_first = nullptr;
  QWidget* m_second = nullptr;
  SplitterBar* m_bar = nullptr;
  SplitterBar* m_ghost = nullptr;
  int m_containerState = 1;
  bool m_inDragStep = false;
  bool m_inDragEdge = false;
};

}  // namespace tf
