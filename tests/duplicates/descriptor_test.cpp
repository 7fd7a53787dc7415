// The search descriptor: its shape and defaults, the criteria as stored and as the
// index reads them, and the predefined sets.
#include <gtest/gtest.h>

#include "duplicates/duplicate_index.h"
#include "scan/filter_nodes.h"
#include "search/search_descriptor.h"

namespace tf {
namespace {

TEST(SearchDescriptor, ANewDescriptorLooksForTrueDuplicates) {
  UtcFilterClock clock;
  SearchDescriptor descriptor;
  EXPECT_FALSE(descriptor.SetName(1, false));  // nothing to store into yet
  ASSERT_TRUE(descriptor.Create(clock));
  EXPECT_FALSE(descriptor.Create(clock));
  ASSERT_NE(FindByPath(descriptor.Root(), "folders:include", ':'), nullptr);
  ASSERT_NE(FindByPath(descriptor.Root(), "folders:exclude", ':'), nullptr);
  for (DataNode* filter : {descriptor.NameFilterNode(), descriptor.SizeFilterNode(),
                           descriptor.TimeFilterNode(), descriptor.AttributeFilterNode()}) {
    ASSERT_NE(filter, nullptr);
    EXPECT_EQ(GetFilterEnabled(filter), 0);
  }
  EXPECT_EQ(descriptor.GetSymbols(), 5);
  DuplicateIndex index;
  ASSERT_TRUE(index.Configure(descriptor.SettingsNode()));
  EXPECT_EQ(index.nameRule(), NameRule::kExact);
  EXPECT_TRUE(index.splitByTime());
  EXPECT_TRUE(index.splitBySize());
}

TEST(SearchDescriptor, CriteriaAreKeptInRange) {
  UtcFilterClock clock;
  SearchDescriptor descriptor;
  ASSERT_TRUE(descriptor.Create(clock));
  int updates = 0;
  descriptor.SetPageUpdater([&] { ++updates; });
  EXPECT_TRUE(descriptor.SetName(3, true));
  EXPECT_TRUE(descriptor.SetSymbols(11, false));
  EXPECT_TRUE(descriptor.SetTime(-1, false));
  EXPECT_EQ(descriptor.GetName() * 100 + descriptor.GetSymbols() * 10 + descriptor.GetTime(), 50);
  EXPECT_EQ(updates, 1);

  // Picking N = 7 while the names must be exact switches to the first N symbols.
  ASSERT_TRUE(descriptor.ChooseSymbols(2));
  EXPECT_EQ(descriptor.GetSymbols(), 7);
  EXPECT_EQ(descriptor.GetName(), kNameFirstSymbols);

  // A stored "symbols" of 3 (from an old file) shows as 5 and compares whole names.
  descriptor.SettingsNode()->attrs.Set("symbols", AttrValue::FromInt(3), 1);
  EXPECT_EQ(descriptor.ShownSymbols(), 5);
  DuplicateIndex index;
  index.Configure(descriptor.SettingsNode());
  EXPECT_EQ(index.nameRule(), NameRule::kExact);
}

TEST(SearchDescriptor, PredefinedSetsLeaveNAlone) {
  UtcFilterClock clock;
  SearchDescriptor descriptor;
  ASSERT_TRUE(descriptor.Create(clock));
  descriptor.SetSymbols(7, false);
  const int expected[5][3] = {{0, 0, 0}, {0, 0, 0}, {0, 1, 1}, {1, 1, 1}, {2, 1, 1}};
  for (int index : {3, 0, 5, 2, 1, 4}) {
    EXPECT_EQ(descriptor.ApplyPredefinedSet(index), index >= 1 && index <= 4);
    const int* want = expected[index == 0 || index == 5 ? 3 : index];  // 0, 5: no change
    EXPECT_EQ(descriptor.GetName(), want[0]) << index;
    EXPECT_EQ(descriptor.GetTime(), want[1]) << index;
    EXPECT_EQ(descriptor.GetSize(), want[2]) << index;
    EXPECT_EQ(descriptor.GetSymbols(), 7);
  }
  EXPECT_STREQ(kPredefinedSetTexts[3], "Different formats of a file");
}

}  // namespace
}  // namespace tf
