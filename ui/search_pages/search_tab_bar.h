// SearchTabBar: the row of check-style buttons at the top of the search window that
// chooses its page, and the "Expand/Collapse" button that narrows the column to itself.
#pragma once

#include <array>

#include <QWidget>

class QAbstractButton;
class QPushButton;
class QToolButton;

namespace tf {

class MCMain;

class SearchTabBar : public QWidget {
  Q_OBJECT

 public:
  // The buttons get font 2 and their tooltips through `main` (may be null).
  explicit SearchTabBar(MCMain* main, QWidget* parent = nullptr);

  // Checks the tab of `mode` (0 to 3) and clears the others.
  void CheckTab(int mode);

  // The size the bar was laid out for when it was made.
  QSize naturalSize() const { return m_natural; }
  QSize sizeHint() const override { return m_natural; }

  QPushButton* tab(int mode) const { return m_tabs.at(static_cast<size_t>(mode)); }
  QToolButton* expandButton() const { return m_expand; }

 signals:
  // A tab was clicked (also the one already checked).
  void tabClicked(int mode);
  void expandCollapseToggled(bool checked);

 private:
  void layOut();

  std::array<QPushButton*, 4> m_tabs{};
  QToolButton* m_expand = nullptr;
  QSize m_natural;
};

}  // namespace tf
