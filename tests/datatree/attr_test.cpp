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

TEST(AttrValue, ConversionsKeepMagnitudeAndSign) {
  EXPECT_EQ(AttrValue::FromInt64(int64_t{1} << 40).AsReal(), 1099511627776.0);
  EXPECT_EQ(AttrValue::FromReal(-2.7).AsInt64(), -2);
  EXPECT_EQ(AttrValue::FromInt(-1).AsInt64(), -1);
  EXPECT_EQ(AttrValue::FromInt(-7).AsReal(), -7.0);
  EXPECT_EQ(AttrValue::FromString("12").AsInt64(), 0);  // text is not parsed
  EXPECT_EQ(AttrValue().AsReal(), 0.0);
  // Out-of-range and NaN reals saturate instead of being undefined.
  EXPECT_EQ(AttrValue::FromReal(1e300).AsInt64(), INT64_MAX);
  EXPECT_EQ(AttrValue::FromReal(-1e300).AsInt64(), INT64_MIN);
  EXPECT_EQ(AttrValue::FromReal(0.0 / 0.0 * 0).AsInt64(), 0);
}

TEST(AttrValue, SetnessAndText) {
  EXPECT_FALSE(AttrValue().IsSet());
  EXPECT_FALSE(AttrValue::FromString(nullptr).IsSet());
  EXPECT_FALSE(AttrValue::FromBytes("abc", 0).IsSet());
  EXPECT_TRUE(AttrValue::FromString("").IsSet());
  EXPECT_TRUE(AttrValue::FromInt(0).IsSet());

  EXPECT_EQ(AttrValue::FromInt(-5).AsText(0), "-5");
  EXPECT_EQ(AttrValue::FromInt64(INT64_MIN).AsText(0), "-9223372036854775808");
  EXPECT_EQ(AttrValue::FromReal(1.5).AsText(0), "1.500000");
  EXPECT_EQ(AttrValue::FromReal(1e300).FullText().size(), 308u);
  const std::string big(1000, 'x');
  EXPECT_EQ(AttrValue::FromString(big).AsText(0).size(), 256u);
  EXPECT_EQ(AttrValue::FromString(big).AsText(10), std::string(10, 'x'));
  EXPECT_EQ(AttrValue::FromString(big).FullText(), big);
  EXPECT_EQ(AttrValue::FromBytes("ab\0cd", 5).AsString(), std::string("ab"));
}

TEST(AttrValue, OwnedTextIsCopiedBorrowedTextIsNot) {
  char buf[] = "hello";
  AttrValue owned = AttrValue::FromString(buf);
  AttrValue borrowed = AttrValue::FromStringRef(buf);
  AttrValue copy = owned;
  buf[0] = 'j';
  EXPECT_STREQ(owned.AsString(), "hello");
  EXPECT_STREQ(copy.AsString(), "hello");
  EXPECT_NE(copy.AsString(), owned.AsString());
  EXPECT_STREQ(borrowed.AsString(), "jello");
  copy = borrowed;  // reassignment frees the old owned copy (ASan checks)
  EXPECT_EQ(copy.AsString(), buf);
  const AttrValue& same = copy;  // through a reference: assigning a value to itself is legal
  copy = same;
  EXPECT_EQ(copy.type(), 'f');
}

TEST(AttrList, FindUsesCursorAndWraps) {
  AttrList list;
  EXPECT_STREQ(list.errorText(), "");
  list.Set("a", AttrValue::FromInt(1), 0);
  list.Set("b", AttrValue::FromInt(2), 0);
  list.Set("c", AttrValue::FromInt(3), 0);
  EXPECT_STREQ(list.errorText(), "");  // the code never changed
  EXPECT_EQ(list.Find("c")->value.AsInt(), 3);
  EXPECT_EQ(list.Find("a")->value.AsInt(), 1);  // wraps around from the end
  EXPECT_EQ(list.Find("zz"), nullptr);
  EXPECT_EQ(list.errorCode(), AttrList::kNotFound);
  EXPECT_STREQ(list.errorText(), "Not found");
  EXPECT_EQ(list.Find("b")->value.AsInt(), 2);
  EXPECT_STREQ(list.errorText(), "No error");
}

TEST(AttrList, DuplicateNamesAndReplace) {
  AttrList list;
  list.Set("x", AttrValue::FromInt(1), 0);
  list.Set("x", AttrValue::FromInt(2), 0);
  EXPECT_EQ(list.Count(), 2);
  // After an append the cursor is reset, so the first in array order is found.
  EXPECT_EQ(list.ValueOf("x").AsInt(), 1);
  // Reading again moves on to the next attribute of that name.
  EXPECT_EQ(list.ValueOf("x").AsInt(), 2);
  list.Set("x", AttrValue::FromString("s"), 1);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_STREQ(list.ValueAt(0).AsString(), "s");
  EXPECT_EQ(list.Set(static_cast<const char*>(nullptr), AttrValue::FromInt(1), 0), 0);
  EXPECT_EQ(list.errorCode(), AttrList::kGenericError);
  EXPECT_STREQ(list.errorText(), "Generic error");
}

TEST(AttrList, CodesOutliveTheAttributes) {
  AttrList list;
  EXPECT_EQ(list.Find("a"), nullptr);  // on an empty list
  EXPECT_EQ(list.errorCode(), AttrList::kNotFound);
  list.Set("a", AttrValue::FromInt(1), 0);
  EXPECT_STREQ(list.errorText(), "No error");
  EXPECT_EQ(list.Find("b"), nullptr);
  list.Clear();  // the attributes go; the codes stay the list's own
  EXPECT_EQ(list.errorCode(), AttrList::kNoError);
  EXPECT_STREQ(list.errorText(), "No error");
  EXPECT_EQ(list.Set(static_cast<const char*>(nullptr), AttrValue(), 0), 0);
  EXPECT_STREQ(list.errorText(), "Generic error");
  EXPECT_EQ(list.Count(), 0);
  list.Set("c", AttrValue::FromInt(3), 0);
  EXPECT_EQ(list.ValueOf("c").AsInt(), 3);
  EXPECT_STREQ(list.errorText(), "No error");
}

TEST(AttrList, LookupsOfMissingOrUnsetValuesGiveTheSharedUnset) {
  AttrList list;
  list.Set("empty", AttrValue(), 0);
  EXPECT_EQ(&list.ValueOf("missing"), &AttrValue::Unset());
  EXPECT_EQ(list.errorCode(), AttrList::kNotFound);
  EXPECT_EQ(&list.ValueOf("empty"), &AttrValue::Unset());
  EXPECT_EQ(&list.ValueAt(5), &AttrValue::Unset());
  EXPECT_EQ(list.NameAt(0), nullptr);
  EXPECT_EQ(list.NameAt(-1), nullptr);

  AttrList other;
  other.Set("k", AttrValue::FromString("v"), 0);
  EXPECT_EQ(list.Assign(other), 1);
  EXPECT_STREQ(list.NameAt(0), "k");
  EXPECT_STREQ(list.ValueOf("k").AsString(), "v");
}

TEST(IntTable, GrowsResizesAndGuardsIndexes) {
  IntTable t;
  EXPECT_EQ(t.Get(0), 0);
  EXPECT_EQ(t.Set(3, 7, 0), 0);
  EXPECT_EQ(t.Set(3, 7, 1), 1);
  ASSERT_EQ(t.count(), 4);
  EXPECT_EQ(t.Get(0), 0);
  EXPECT_EQ(t.Get(3), 7);
  EXPECT_EQ(t.Set(-1, 1, 1), 0);
  EXPECT_EQ(t.Set(int64_t{1} << 40, 1, 1), 0);  // a damaged index never allocates terabytes
  EXPECT_EQ(t.ResizeMatrix(2, 3), 1);
  t.Set(1 * 3 + 2, 42, 0);
  EXPECT_EQ(t.GetCell(1, 2), 42);
  t.Set(8, 1, 1);  // a grown matrix keeps its columns and cells
  EXPECT_EQ(t.columns(), 3);
  EXPECT_EQ(t.GetCell(1, 2), 42);
  EXPECT_EQ(t.GetCell(2, 1), 0);
  EXPECT_EQ(t.GetCell(INT64_MAX, 2), 0);
  EXPECT_EQ(t.ResizeMatrix(0, 3), 0);
  EXPECT_EQ(t.count(), 0);
  EXPECT_EQ(t.Resize(0), 0);
  IntTable u;
  u.Set(1, 5, 1);
  EXPECT_EQ(t.CopyFrom(u), 1);
  EXPECT_EQ(t.Get(1), 5);
  EXPECT_NE(t.data(), u.data());
}

TEST(TextFold, FoldsAsciiAndLatin1OnlyAndKeepsOtherBytes) {
  EXPECT_EQ(FoldUpper("abc.Txt"), "ABC.TXT");
  EXPECT_EQ(FoldUpper("\xC3\xA9t\xC3\xA9"), "\xC3\x89T\xC3\x89");  // été
  EXPECT_EQ(FoldUpper("\xC3\xB7"), "\xC3\xB7");                    // division sign
  EXPECT_EQ(FoldLower("\xC3\x89"), "\xC3\xA9");
  EXPECT_EQ(FoldUpper("\xFF\xC3"), "\xFF\xC3");  // invalid and cut-off bytes survive
  EXPECT_TRUE(EqualIgnoringCase("Report.TXT", "report.txt"));
  EXPECT_LT(CompareIgnoringCase("apple", "Banana"), 0);
}

}  // namespace
}  // namespace tf
