// The criteria page: what it shows for the stored criteria and what each choice stores.
#include "ui/criteria_page.h"

#include <memory>

#include <QComboBox>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include "search/search_descriptor.h"
#include "tests/gui_search/scripted_search_host.h"

namespace tf {
namespace {

// A radio takes clicks on its circle and text only, not on the rest of its row.
void click(QRadioButton* radio) {
  QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
}

// One page through a user's session: what is stored out of range, N, the radios, the
// predefined sets, and changes made elsewhere while the page lives.
TEST(CriteriaPage, ChoicesStoreTheirValueAndTheStoredValuesShow) {
  testing::ScriptedSearchHost host;
  SearchDescriptor& d = host.descriptor;
  auto page = std::make_unique<CriteriaPage>(host, nullptr);
  page->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(page.get()));
  // The checked value of the name, time and size radios (-1 for none) and N, as shown
  // and as stored.
  const auto checked = [](auto radio, int count) {
    for (int v = 0; v < count; ++v)
      if (radio(v)->isChecked()) return v;
    return -1;
  };
  const auto shown = [&] {
    return std::to_string(checked([&](int v) { return page->nameRadio(v); }, 3)) + " " +
           std::to_string(checked([&](int v) { return page->timeRadio(v); }, 2)) + " " +
           std::to_string(checked([&](int v) { return page->sizeRadio(v); }, 2)) + " N" +
           page->symbolsCombo()->currentText().toStdString();
  };
  const auto stored = [&] {
    return std::to_string(d.GetName()) + " " + std::to_string(d.GetTime()) + " " +
           std::to_string(d.GetSize()) + " N" + std::to_string(d.GetSymbols());
  };
  DataNode* settings = d.SettingsNode();
  settings->attrs.Set("name", AttrValue::FromInt(9), 1);
  settings->attrs.Set("symbols", AttrValue::FromInt(3), 1);
  settings->attrs.Set("time", AttrValue::FromInt(-4), 1);
  page->Update();
  EXPECT_EQ(shown(), "0 0 0 N5");  // out of range: the first choice
  // The shown radio differs from what is stored, so clicking it stores its value.
  click(page->nameRadio(0));
  EXPECT_EQ(d.GetName(), 0);
  EXPECT_EQ(d.GetSymbols(), 3);  // N is stored only when chosen

  // Two steps down the list of N: 7, and the name rule switches to first symbols.
  QTest::keyClick(page->symbolsCombo(), Qt::Key_Down);
  QTest::keyClick(page->symbolsCombo(), Qt::Key_Down);
  EXPECT_EQ(d.GetSymbols(), 7);
  EXPECT_EQ(shown(), "2 0 0 N7");
  EXPECT_EQ(d.GetName(), 2);
  click(page->nameRadio(1));
  click(page->timeRadio(1));
  click(page->sizeRadio(1));
  click(page->sizeRadio(0));
  EXPECT_EQ(stored(), "1 1 0 N7");
  EXPECT_EQ(shown(), "1 1 0 N7");

  // A predefined set leaves N and keeps its text shown; the blank first entry changes
  // nothing.
  QComboBox* presets = page->presetCombo();
  for (int i = 0; i < 4; ++i) QTest::keyClick(presets, Qt::Key_Down);
  EXPECT_EQ(presets->currentText(), "Named versions of a file");
  EXPECT_EQ(stored(), "2 1 1 N7");
  EXPECT_EQ(shown(), "2 1 1 N7");
  QTest::keyClick(presets, Qt::Key_Home);
  EXPECT_EQ(presets->currentIndex(), 0);
  EXPECT_EQ(stored(), "2 1 1 N7");

  // Changes made elsewhere reach the page until it goes, and not after.
  d.SetTime(0, true);
  EXPECT_TRUE(page->timeRadio(0)->isChecked());
  page.reset();
  EXPECT_TRUE(d.SetName(0, true));
}

}  // namespace
}  // namespace tf
