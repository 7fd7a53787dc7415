// The line form of attribute lists (backup descriptors).
#include <gtest/gtest.h>

#include <string>

#include "datatree/node_xml.h"
#include "platform/node_files.h"
#include "tests/support/temp_tree.h"

namespace tf {
namespace {

// The exact lines of a backup descriptor are checked by the backup tests; here values
// holding the separator and bytes that are not UTF-8, a value that is not set, long
// values, damaged lines that cost only themselves, and files that cannot be used.
TEST(AttrLines, WrittenWholeAndReadBackPastDamagedLines) {
  testing::TempTree dir;
  AttrList list;
  list.Set("path", AttrValue::FromString("/home/u/a\tb/\xff\xfe"), 0);
  list.Set("unset", AttrValue(), 0);
  const std::string file = dir / "1.jpg.backup_info";
  ASSERT_EQ(WriteAttrLines(file, list, "\t"), 1);
  EXPECT_EQ(testing::ReadFile(file), "path\t/home/u/a\tb/\xff\xfe\r\nunset\t\r\n");
  AttrList read;
  ASSERT_EQ(ReadAttrLines(file, &read, "\t"), 1);
  ASSERT_EQ(read.Count(), 1);  // an empty value is not read back
  EXPECT_STREQ(read.ValueOf("path").AsString(), "/home/u/a\tb/\xff\xfe");
  AttrList longList;
  const std::string big(40000, 'x');
  longList.Set("long", AttrValue::FromString(big), 0);
  ASSERT_EQ(WriteAttrLines(file, longList, "\t"), 1);
  ASSERT_EQ(ReadAttrLines(file, &read, "\t"), 1);
  EXPECT_EQ(std::string(read.ValueOf("long").AsString()), big);

  // Files that cannot be written or read are reported and leave the list as it was.
  EXPECT_EQ(WriteAttrLines("/dev/full", list, "\t"), 0);
  EXPECT_EQ(WriteAttrLines(dir / "missing/x", list, "\t"), 0);
  EXPECT_EQ(ReadAttrLines(dir / "missing", &read, "\t"), 0);
  EXPECT_EQ(ReadAttrLines(dir.root(), &read, "\t"), 0);  // a folder
  EXPECT_EQ(read.Count(), 1);

  testing::WriteFile(
      file, std::string("junk line\r\nkey\tvalue\r\n\tno name\r\nno value\t\r\nlone\nlf\tv\r\n"
                        "nul\tab\0cd\r\n\0\tx\r\nlast\tno line end",
                        86));
  ASSERT_EQ(ReadAttrLines(file, &list, "\t"), 1);
  ASSERT_EQ(list.Count(), 4);
  EXPECT_STREQ(list.NameAt(0), "key");
  EXPECT_STREQ(list.NameAt(1), "lone\nlf");  // only CR LF ends a line
  EXPECT_STREQ(list.ValueAt(2).AsString(), "ab");
  EXPECT_STREQ(list.ValueOf("last").AsString(), "no line end");
  // A separator of several bytes; a value may hold it again.
  testing::WriteFile(file, "a: b: c\r\n");
  ASSERT_EQ(ReadAttrLines(file, &list, ": "), 1);
  EXPECT_STREQ(list.ValueOf("a").AsString(), "b: c");
  EXPECT_EQ(ReadAttrLines(file, &list, ""), 1);
  EXPECT_EQ(list.Count(), 0);
}

}  // namespace
}  // namespace tf
