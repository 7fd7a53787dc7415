#include <string>
#include <vector>

#include <QFont>
#include <QFontMetrics>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "ui/list_helpers.h"

namespace tf {
namespace {

// Rows keep the exact bytes of names that are not UTF-8, so that a path found in a list
// is the path on disk, not the replacement characters the list shows.
TEST(ListHelpers, RowsKeepTheirBytesForFindingAndSelecting) {
  QTreeWidget list;
  list.setColumnCount(3);
  list.setSelectionMode(QAbstractItemView::ExtendedSelection);
  const std::string odd("b\xff", 2);
  AddRow(&list, "c", 30, -1);
  AddRow(&list, "a", 10, 0);
  AddRow(&list, odd, 20, 1);
  AddRow(&list, odd, 40, 99);  // past the end: appended
  ASSERT_EQ(list.topLevelItemCount(), 4);
  EXPECT_EQ(RowText(list.topLevelItem(2)), "c");

  int64_t value = 0;
  EXPECT_EQ(FindRow(&list, odd, -1, &value), 1);
  EXPECT_EQ(value, 20);
  EXPECT_EQ(FindRow(&list, odd, 1, &value), 3);
  EXPECT_EQ(value, 40);
  EXPECT_EQ(FindRow(&list, "b\xef\xbf\xbd", -1, nullptr), -1);  // what the row shows
  EXPECT_EQ(FindRow(&list, "", -1, nullptr), -1);

  EXPECT_EQ(SelectRow(&list, 2, true), 1);
  EXPECT_EQ(SelectRow(&list, 4, false), 2);  // the count itself: the last row
  EXPECT_EQ(list.currentItem(), list.topLevelItem(3));
  EXPECT_EQ(SelectRow(&list, 50, false), 3);  // past it: the first row
  std::vector<std::string> texts{"kept"};
  EXPECT_EQ(GetSelectedTexts(&list, &texts), 3);
  EXPECT_EQ(texts, (std::vector<std::string>{"kept", "a", "c", odd}));
}

// Sizes and dates were cut in lists drawn with a font wider than the tables assume.
TEST(ListHelpers, WiderFontsWidenOnlyThePixelColumns) {
  QFont font;
  font.setPixelSize(40);
  const std::vector<int> scaled = ScaleColumnTable({-100, 60, 0}, QFontMetrics(font));
  EXPECT_EQ(scaled[0], -100);
  EXPECT_GT(scaled[1], 60);
  EXPECT_EQ(scaled[2], 0);
}

}  // namespace
}  // namespace tf
