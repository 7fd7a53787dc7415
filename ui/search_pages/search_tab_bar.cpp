#include "ui/search_pages/search_tab_bar.h"

#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QToolButton>

#include "ui/qt_text.h"
#include "ui/window/mc_main.h"

namespace tf {

namespace {

constexpr int kMargin = 2;
// Room right of "Expand/Collapse": the narrow column ends after it.
constexpr int kExpandGap = 4;
constexpr const char* kTabTexts[4] = {"Folders", "Filters", "Settings", "Preview"};
constexpr const char* kTabTips[4] = {"List of folders to scan", "File filters", "Search settings",
                                     "Preview of the selected file"};
constexpr const char* kExpandText = "Expand/Collapse";

// Two arrow heads pointing left and right: the column folds to this button and back.
QIcon expandCollapseIcon(int side) {
  QPixmap pixmap(side, side);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(40, 40, 40));
  const double m = side / 2.0;
  const double h = side * 0.3;
  painter.drawPolygon(QPolygonF({QPointF(1, m), QPointF(m - 1, m - h), QPointF(m - 1, m + h)}));
  painter.drawPolygon(
      QPolygonF({QPointF(side - 1, m), QPointF(m + 1, m - h), QPointF(m + 1, m + h)}));
  return QIcon(pixmap);
}

void decorate(MCMain* main, QWidget* control, int fontIndex, const char* tip) {
  if (main)
    main->Decorate(control, fontIndex, tip);
  else
    control->setToolTip(QtText(tip));
}

}  // namespace

SearchTabBar::SearchTabBar(MCMain* main, QWidget* parent) : QWidget(parent) {
  // Made first, as it stands first in the row: Tab reaches it before the tabs.
  m_expand = new QToolButton(this);
  m_expand->setCheckable(true);
  // Reached by Tab like every other control, so the pages can be chosen from the keyboard.
  m_expand->setFocusPolicy(Qt::StrongFocus);
  m_expand->setAccessibleName(QtText(kExpandText));
  decorate(main, m_expand, -1, kExpandText);
  // Checked one at a time by CheckTab and kept out of a button group: in a group, Tab
  // would stop only at the checked button, and every tab is a stop of its own.
  for (int i = 0; i < 4; ++i) {
    auto* button = new QPushButton(QtText(kTabTexts[i]), this);
    button->setCheckable(true);
    decorate(main, button, 2, kTabTips[i]);
    connect(button, &QPushButton::clicked, this, [this, i] { emit tabClicked(i); });
    m_tabs[static_cast<size_t>(i)] = button;
  }
  connect(m_expand, &QToolButton::toggled, this, &SearchTabBar::expandCollapseToggled);
  layOut();
}

void SearchTabBar::layOut() {
  // The picture button leads the row so that the column can fold down to it; the tabs
  // follow edge to edge, each as large as "Folders" (the widest of them is used, so no
  // text is cut).
  QSize tabSize = m_tabs[0]->sizeHint();
  for (QPushButton* tab : m_tabs) tabSize = tabSize.expandedTo(tab->sizeHint());
  const int side = tabSize.height();
  m_expand->setIconSize(QSize(side - 8, side - 8));
  m_expand->setIcon(expandCollapseIcon(side - 8));
  m_expand->setGeometry(kMargin, kMargin, side, side);
  // The tabs begin where the narrow column ends, so that folding hides them whole.
  int x = kMargin + side + kExpandGap;
  for (QPushButton* tab : m_tabs) {
    tab->setGeometry(x, kMargin, tabSize.width(), tabSize.height());
    x += tabSize.width();
  }
  m_natural = QSize(x + kMargin, tabSize.height() + 2 * kMargin);
  resize(m_natural);
}

void SearchTabBar::CheckTab(int mode) {
  if (mode < 0 || mode >= 4) return;
  for (int i = 0; i < 4; ++i) m_tabs[static_cast<size_t>(i)]->setChecked(i == mode);
}

}  // namespace tf
