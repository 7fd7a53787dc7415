// Values, attribute lists and integer tables of the data tree.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "base/text_fold.h"
#include "datatree/attr_list.h"
#include "datatree/attr_value.h"
#include "datatree/int_table.h"

namespace tf {
namespace {

TEST(AttrValue, ConversionsSaturateAndTextsAreCutOnlyWhenAsked) {
  EXPECT_EQ(AttrValue::FromInt64(int64_t{1} << 40).AsReal(), 1099511627776.0);
  EXPECT_EQ(AttrValue::FromReal(-2.7).AsInt64(), -2);
  EXPECT_EQ(AttrValue::FromString("12").AsInt64(), 0);  // text is not parsed
  EXPECT_EQ(AttrValue::FromReal(1e300).AsInt64(), INT64_MAX);
  EXPECT_EQ(AttrValue::FromReal(-1e300).AsInt64(), INT64_MIN);
  EXPECT_EQ(AttrValue::FromReal(0.0 / 0.0 * 0).AsInt64(), 0);  // out of range: no UB

  EXPECT_FALSE(AttrValue::FromString(nullptr).IsSet());
  EXPECT_FALSE(AttrValue::FromBytes("abc", 0).IsSet());
  EXPECT_TRUE(AttrValue::FromString("").IsSet());
  EXPECT_EQ(AttrValue::FromInt64(INT64_MIN).AsText(0), "-9223372036854775808");
  EXPECT_EQ(AttrValue::FromReal(1e300).FullText().size(), 308u);
  const std::string big(1000, 'x');
  EXPECT_EQ(AttrValue::FromString(big).AsText(0).size(), 256u);
  EXPECT_EQ(AttrValue::FromString(big).FullText(), big);
  EXPECT_EQ(AttrValue::FromBytes("ab\0cd", 5).AsString(), std::string("ab"));
}

TEST(AttrValue, OwnedTextIsCopiedBorrowedTextIsNot) {
  char buf[] = "hello";
  AttrValue owned = AttrValue::FromString(buf);
  AttrValue borrowed = AttrValue::FromStringRef(buf);
  AttrValue copy = owned;
  buf[0] = 'j';
  EXPECT_STREQ(copy.AsString(), "hello");
  EXPECT_NE(copy.AsString(), owned.AsString());
  EXPECT_STREQ(borrowed.AsString(), "jello");
  copy = borrowed;  // reassignment frees the old owned copy (ASan checks)
  EXPECT_EQ(copy.AsString(), buf);
  const AttrValue& same = copy;  // through a reference: assigning a value to itself is legal
  copy = same;
  EXPECT_EQ(copy.type(), 'f');
}

// The cursor wraps, so repeated names are read in turn; the last error survives Clear.
TEST(AttrList, CursorWrapsRepeatedNamesAreReadInTurnAndMissesAreReported) {
  AttrList list;
  list.Set("a", AttrValue::FromInt(1), 0);
  list.Set("x", AttrValue::FromInt(2), 0);
  list.Set("x", AttrValue::FromInt(3), 0);
  EXPECT_EQ(list.Find("x")->value.AsInt(), 2);
  EXPECT_EQ(list.Find("a")->value.AsInt(), 1);  // wraps around from the end
  EXPECT_EQ(list.ValueOf("x").AsInt(), 2);
  EXPECT_EQ(list.ValueOf("x").AsInt(), 3);  // the next of that name
  EXPECT_EQ(list.Find("zz"), nullptr);
  EXPECT_EQ(list.errorCode(), AttrList::kNotFound);
  EXPECT_EQ(&list.ValueAt(5), &AttrValue::Unset());
  list.Clear();
  EXPECT_EQ(list.Set(static_cast<const char*>(nullptr), AttrValue(), 0), 0);
  EXPECT_EQ(list.errorCode(), AttrList::kGenericError);

  AttrList other;
  other.Set("k", AttrValue::FromString("v"), 0);
  other.Set("empty", AttrValue(), 0);
  EXPECT_EQ(list.Assign(other), 2);
  EXPECT_STREQ(list.ValueOf("k").AsString(), "v");
  EXPECT_EQ(&list.ValueOf("empty"), &AttrValue::Unset());
}

TEST(IntTable, GrowsResizesAndGuardsIndexes) {
  IntTable t;
  EXPECT_EQ(t.Set(3, 7, 0), 0);
  EXPECT_EQ(t.Set(3, 7, 1), 1);
  EXPECT_EQ(t.Get(3), 7);
  EXPECT_EQ(t.Set(-1, 1, 1), 0);
  EXPECT_EQ(t.Set(int64_t{1} << 40, 1, 1), 0);  // a damaged index never allocates terabytes
  IntTable u;
  u.Set(1, 5, 1);
  EXPECT_EQ(t.CopyFrom(u), 1);
  EXPECT_EQ(t.Get(1), 5);
}

TEST(TextFold, FoldsAsciiAndLatin1OnlyAndKeepsOtherBytes) {
  EXPECT_EQ(FoldUpper("\xC3\xA9t\xC3\xA9.txt"), "\xC3\x89T\xC3\x89.TXT");  // été
  EXPECT_EQ(FoldUpper("\xC3\xB7"), "\xC3\xB7");                            // division sign
  EXPECT_EQ(FoldUpper("\xFF\xC3"), "\xFF\xC3");  // invalid and cut-off bytes survive
  EXPECT_LT(CompareIgnoringCase("apple", "Banana"), 0);
}

}  // namespace
}  // namespace tf
