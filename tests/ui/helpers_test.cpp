#include <string>
#include <vector>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QHeaderView>
#include <QRadioButton>
#include <QStyle>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "ui/control_helpers.h"
#include "ui/list_helpers.h"

namespace tf {
namespace {

// A list of the rows "a", "b\xff" (not UTF-8), "c", "b\xff" with values 10, 20, 30, 40.
struct ListFixture {
  QTreeWidget list;
  const std::string odd = std::string("b\xff", 2);

  ListFixture() {
    list.setColumnCount(3);
    list.setSelectionMode(QAbstractItemView::ExtendedSelection);
    AddRow(&list, "c", 30, -1);
    AddRow(&list, "a", 10, 0);
    AddRow(&list, odd, 20, 1);
    AddRow(&list, odd, 40, 99);  // past the end: appended
  }
};

TEST(ListHelpers, RowsKeepTheirBytesAndValues) {
  ListFixture f;
  ASSERT_EQ(f.list.topLevelItemCount(), 4);
  EXPECT_EQ(RowText(f.list.topLevelItem(0)), "a");
  EXPECT_EQ(RowText(f.list.topLevelItem(1)), f.odd);
  EXPECT_EQ(RowText(f.list.topLevelItem(2)), "c");

  int64_t value = 0;
  EXPECT_EQ(FindRow(&f.list, f.odd, -1, &value), 1);
  EXPECT_EQ(value, 20);
  EXPECT_EQ(FindRow(&f.list, f.odd, 1, &value), 3);
  EXPECT_EQ(value, 40);
  EXPECT_EQ(FindRow(&f.list, f.odd, 3, nullptr), -1);
  EXPECT_EQ(FindRow(&f.list, "b\xef\xbf\xbd", -1, nullptr), -1);  // what the row shows
  EXPECT_EQ(FindRow(&f.list, "A", -1, nullptr), -1);
  EXPECT_EQ(FindRow(&f.list, "", -1, nullptr), -1);
}

TEST(ListHelpers, SelectRowClampsAndSelectedTextsComeInRowOrder) {
  ListFixture f;
  EXPECT_EQ(SelectRow(&f.list, 2, true), 1);
  EXPECT_EQ(SelectRow(&f.list, 4, false), 2);  // the count itself: the last row
  EXPECT_TRUE(f.list.topLevelItem(3)->isSelected());
  EXPECT_EQ(f.list.currentItem(), f.list.topLevelItem(3));
  EXPECT_EQ(SelectRow(&f.list, 50, false), 3);  // past it: the first row
  EXPECT_TRUE(f.list.topLevelItem(0)->isSelected());

  std::vector<std::string> texts{"kept"};
  EXPECT_EQ(GetSelectedTexts(&f.list, &texts), 3);
  EXPECT_EQ(texts, (std::vector<std::string>{"kept", "a", "c", f.odd}));

  f.list.setSelectionMode(QAbstractItemView::SingleSelection);
  EXPECT_EQ(SelectRow(&f.list, 1, false), 1);

  QTreeWidget empty;
  EXPECT_EQ(SelectRow(&empty, 0, true), 0);
}

TEST(ListHelpers, ColumnWidthsFromTheTable) {
  QTreeWidget list;
  list.setColumnCount(3);
  SetColumnWidths(list.header(), 420, {120, -50, -50, 0}, false);
  EXPECT_EQ(list.header()->sectionSize(0), 120);
  EXPECT_EQ(list.header()->sectionSize(1), 150);
  EXPECT_EQ(list.header()->sectionSize(2), 150);

  const int arrow = list.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  SetColumnWidths(list.header(), 420, {100, -100, 0}, true);
  EXPECT_EQ(list.header()->sectionSize(1), 320 - arrow);
}

TEST(ListHelpers, WiderFontsWidenOnlyThePixelColumns) {
  QFont font;
  font.setPixelSize(40);
  const QFontMetrics metrics(font);
  ASSERT_GT(metrics.averageCharWidth(), 5);
  const std::vector<int> scaled = ScaleColumnTable({-100, 60, 40, 0}, metrics);
  EXPECT_EQ(scaled[0], -100);
  EXPECT_EQ(scaled[1], 60 * metrics.averageCharWidth() / 5);
  EXPECT_GT(scaled[2], 40);
  EXPECT_EQ(scaled[3], 0);
}

TEST(ControlHelpers, ChecksRadiosAndCombos) {
  QCheckBox box;
  EXPECT_EQ(SetCheck(&box, 1), 1);
  EXPECT_EQ(SetCheck(&box, 2), 0);
  EXPECT_EQ(SetCheck(&box, 2), 1);
  EXPECT_TRUE(IsChecked(&box));
  EXPECT_EQ(SetCheck(&box, 0), 0);

  QWidget parent;
  auto* any = new QRadioButton("Any", &parent);
  auto* same = new QRadioButton("Same", &parent);
  QButtonGroup group;
  group.addButton(any);
  group.addButton(same);
  const std::vector<RadioChoice> radios{{101, any}, {102, same}};
  SetRadioGroup(radios, 102);
  EXPECT_EQ(RadioValue(radios), 102);
  SetRadioGroup(radios, 7);  // matches none: all clear, even in an exclusive group
  EXPECT_FALSE(any->isChecked());
  EXPECT_FALSE(same->isChecked());
  EXPECT_EQ(RadioValue(radios), 0);
  SetRadioGroup(radios, 101);
  same->click();  // the group is still exclusive afterwards
  EXPECT_EQ(RadioValue(radios), 102);
  EXPECT_FALSE(any->isChecked());

  QComboBox combo;
  EXPECT_EQ(ComboFill(&combo, {"KB", "MB", "", "GB"}), 2);
  EXPECT_EQ(ComboFill(&combo, {"GB", "TB"}, 1), 1);
  EXPECT_EQ(ComboAdd(&combo, "Bytes"), 3);
  EXPECT_EQ(ComboSelectText(&combo, "GB"), 2);
  EXPECT_EQ(ComboSelectText(&combo, "gb"), -1);
  EXPECT_EQ(ComboSelection(&combo), 2);
  ComboClear(&combo);
  EXPECT_EQ(combo.count(), 0);

  QCheckBox control;
  EnableControl(&control, false);
  EXPECT_FALSE(control.isEnabled());
}

}  // namespace
}  // namespace tf
