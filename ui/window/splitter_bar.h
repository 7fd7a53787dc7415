// SplitterBar: the draggable bar of a SplitWindow, and its ghost that marks where the bar
// stood when a drag began.
#pragma once

#include <QWidget>

namespace tf {

class SplitWindow;

class SplitterBar : public QWidget {
  Q_OBJECT

 public:
  SplitterBar(SplitWindow* split, bool ghost);

  // Sizing cursor over an unlocked bar, the ordinary one otherwise.
  void updateCursor();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  SplitWindow* m_split;
  bool m_ghost;
};

}  // namespace tf
