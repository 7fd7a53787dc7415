// Screen readers and automation reach the main window through its accessibility tree:
// every list, table, tree and text box in it has a name, on every page and in both views
// of the results.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QPushButton>
#include <QTest>

#include "main_window_support.h"
#include "ui/results_pane.h"
#include "ui/search_tab_bar.h"
#include "ui/search_window.h"

namespace tf {
namespace {

bool needsName(QAccessible::Role role) {
  switch (role) {
    case QAccessible::List:
    case QAccessible::Table:
    case QAccessible::Tree:
    case QAccessible::EditableText:
      return true;
    default:
      return false;
  }
}

// Walks the visible part of the tree; the rows and cells of a list are its own business.
void collectUnnamed(QAccessibleInterface* node, QStringList* unnamed, int* seen, int depth) {
  if (!node || !node->isValid() || depth > 40 || node->state().invisible) return;
  const QAccessible::Role role = node->role();
  if (needsName(role)) {
    ++*seen;
    if (node->text(QAccessible::Name).trimmed().isEmpty()) {
      QObject* object = node->object();
      *unnamed << QStringLiteral("%1 \"%2\"")
                      .arg(object ? object->metaObject()->className() : "?",
                           object ? object->objectName() : QString());
    }
  }
  if (role == QAccessible::List || role == QAccessible::Table || role == QAccessible::Tree) return;
  for (int i = 0; i < node->childCount(); ++i)
    collectUnnamed(node->child(i), unnamed, seen, depth + 1);
}

TEST(MainWindowAccessibility, EveryListTableAndTextBoxHasAName) {
  testing::TempTree places;
  testing::Window w(places);
  ASSERT_TRUE(w.started);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.frame));
  SearchWindow* search = w.controller.searchWindow();
  for (int results = 0; results < 2; ++results) {
    w.controller.resultsPane()->SetMode(results);
    for (int page = 0; page <= kSearchModeSettings; ++page) {
      QTest::mouseClick(search->tabBar()->tab(page), Qt::LeftButton);
      QStringList unnamed;
      int seen = 0;
      collectUnnamed(QAccessible::queryAccessibleInterface(&w.frame), &unnamed, &seen, 0);
      EXPECT_GE(seen, page == kSearchModeFolders ? 3 : 1) << "page " << page;  // it got there
      EXPECT_TRUE(unnamed.isEmpty())
          << "page " << page << ", view " << results << ": " << unnamed.join(", ").toStdString();
    }
  }
}

}  // namespace
}  // namespace tf
