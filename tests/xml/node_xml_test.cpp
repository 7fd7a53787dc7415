// Data trees as XML and attribute lists as lines: exact bytes, hostile texts, damaged input.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <streambuf>
#include <string>
#include <vector>

#include "datatree/node_ptr.h"
#include "datatree/node_xml.h"
#include "platform/node_files.h"
#include "tests/support/temp_tree.h"

namespace tf {
namespace {

NodePtr Parse(const std::string& text) {
  return NodePtr(ParseNodeXml(nullptr, text));
}

std::string Write(const DataNode* node, bool writeAll, const std::string& styleSheet = "") {
  std::string text;
  EXPECT_EQ(WriteNodeXml(node, &text, writeAll, styleSheet), 1);
  return text;
}

// Every field in its fixed form.
const std::string kSample =
    "<node name=\"root\" desc=\"d\" id=\"7\" kind=\"-3\" group=\"2\" val=\"5000000000\" "
    "val2=\"-1\">\r\n"
    "\t<attr name=\"text\">hello</attr>\r\n"
    "\t<attr name=\"ref\">borrowed</attr>\r\n"
    "\t<attr name=\"int\" type=\"i\">-42</attr>\r\n"
    "\t<attr name=\"big\" type=\"q\">-9223372036854775808</attr>\r\n"
    "\t<attr name=\"real\" type=\"r\">2.500000</attr>\r\n"
    "\t<iattr name=\"1\" val=\"9\"/>\r\n"
    "\t<iattr name=\"3\" val=\"-1\"/>\r\n"
    "\t<node name=\"a\">\r\n"
    "\t\t<node name=\"b\" val=\"1\"/>\r\n"
    "\t</node>\r\n"
    "\t<node/>\r\n"
    "</node>";

// The sample read back, with values the writer leaves out: unset, zero and empty.
NodePtr SampleTree() {
  NodePtr root = Parse(kSample);
  root->attrs.Set("ref", AttrValue::FromStringRef("borrowed"), 1);
  root->attrs.Set("unset", AttrValue(), 0);
  root->attrs.Set("zero", AttrValue::FromInt(0), 0);
  root->attrs.Set("empty", AttrValue::FromString(""), 0);
  return root;
}

// A stream that takes `room` bytes and then fails, as a full disk does.
class FullDisk : public std::streambuf {
 public:
  explicit FullDisk(size_t room) : m_room(room) {}
  std::string written;

 protected:
  int_type overflow(int_type c) override {
    if (c == traits_type::eof()) return traits_type::not_eof(c);
    if (written.size() >= m_room) return traits_type::eof();
    written += traits_type::to_char_type(c);
    return c;
  }

 private:
  size_t m_room;
};

TEST(NodeXmlWriter, WritesEveryFieldInItsFixedFormAndReportsEveryFailedWrite) {
  NodePtr root = SampleTree();
  const std::string full = Write(root.get(), false);
  EXPECT_EQ(full, kSample);
  // A disk that fills up after any byte: the write reports failure, never success.
  for (size_t room = 0; room <= full.size(); ++room) {
    FullDisk disk(room);
    std::ostream out(&disk);
    XmlSink sink{&out, false};
    EXPECT_EQ(WriteNodeXml(root.get(), &sink, nullptr), room == full.size() ? 1 : 0) << room;
    EXPECT_EQ(disk.written, full.substr(0, room));
  }
  EXPECT_EQ(WriteNodeXmlFile(root.get(), "/dev/full", false), 0);
  EXPECT_EQ(WriteNodeXmlFile(root.get(), "/nonexistent-folder/x.dat", false), 0);
}

NodePtr HostileTree() {
  std::string big;  // every byte but NUL, many times
  for (int i = 0; big.size() < 10240; ++i) big += static_cast<char>(1 + i % 255);
  NodePtr root(CreateNode(nullptr, "q\"<>&\r\n\t\xff\xfe end", ATTACH_ROOT));
  SetDesc(root.get(), "");
  root->attrs.Set("", AttrValue::FromString("no name &#60; literal"), 0);
  root->attrs.Set("<big>", AttrValue::FromString(big), 0);
  root->attrs.Set("empty", AttrValue::FromString(""), 0);
  root->attrs.Set("ref", AttrValue::FromStringRef("borrowed \"&\""), 0);
  root->attrs.Set("i-", AttrValue::FromInt(std::numeric_limits<int32_t>::min()), 0);
  root->attrs.Set("q+", AttrValue::FromInt64(std::numeric_limits<int64_t>::max()), 0);
  root->attrs.Set("r", AttrValue::FromReal(-1e300), 0);
  root->attrs.Set("r", AttrValue::FromReal(0.125), 0);  // a repeated name stays repeated
  root->attrs.Set("r0", AttrValue::FromReal(0.0), 0);
  root->itable.Set(0, std::numeric_limits<int64_t>::min(), 1);
  root->itable.Set(2, std::numeric_limits<int64_t>::max(), 1);
  DataNode* child = CreateNode(root.get(), nullptr, ATTACH_LAST_CHILD);
  SetDesc(child, "&#60; & &amp; \xc3\x28 '/>");
  child->id = std::numeric_limits<int32_t>::min();
  child->val = std::numeric_limits<int64_t>::min();
  child->val2 = std::numeric_limits<int64_t>::max();
  CreateNode(CreateNode(child, "</node>", ATTACH_LAST_CHILD), nullptr, ATTACH_LAST_CHILD);
  return root;
}

TEST(NodeXmlRoundTrip, HostileTextsComeBackWholeAndReferencesDecodeOnce) {
  NodePtr original = HostileTree();
  const std::string text = Write(original.get(), true);
  long consumed = 0;
  NodePtr read(ParseNodeXml(nullptr, text.data(), static_cast<long>(text.size()), &consumed));
  EXPECT_EQ(consumed, static_cast<long>(text.size()));
  ASSERT_TRUE(read);  // compared with the original, not merely with what the writer wrote
  EXPECT_STREQ(read->Name(), original->Name());
  EXPECT_EQ(read->attrs.At(1)->value.FullText(), original->attrs.At(1)->value.FullText());
  EXPECT_STREQ(read->FirstChild()->Desc(), original->FirstChild()->Desc());
  EXPECT_EQ(Write(read.get(), true), text);
  EXPECT_EQ(UnescapeString("&#38;#60;"), "&#60;");
  const std::string kept = "& &# &#; &#0; &#256; &#1234; &#x3c; &#60 &#6a; end&";
  EXPECT_EQ(UnescapeString(kept), kept);
}

// Nesting past the limit is cut (no recursion can overflow the stack), the rest still read.
TEST(NodeXmlReader, DeepDamagedAndForeignTextIsHarmless) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += "<node name=\"n" + std::to_string(i) + "\">";
  for (int i = 0; i < 300; ++i) text += "</node>";
  text = "<node name=\"top\">" + text + "<node name=\"after\"/></node>";
  NodePtr root = Parse(text);
  ASSERT_TRUE(root);
  int levels = 1;
  for (DataNode* n = root->FirstChild(); n; n = n->FirstChild()) ++levels;
  EXPECT_EQ(levels, kMaxXmlNodeDepth);
  EXPECT_STREQ(root->LastChild()->Name(), "after");
  // Bytes replaced by markup characters; random texts are the fuzz corpus's part.
  const std::string valid = Write(HostileTree().get(), true);
  for (size_t i = 0; i < valid.size(); i += 53) {
    for (char c : std::string("<>\"/ =\0", 7)) {
      std::string damaged = valid;
      damaged[i] = c;
      Parse(damaged);
    }
  }
  EXPECT_FALSE(Parse("<html><body><p>Hello</p></body></html>"));
  EXPECT_FALSE(Parse(std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)));
  EXPECT_FALSE(Parse(""));
  EXPECT_FALSE(LoadTreeXmlFile("/nonexistent-folder/twinfold.dat"));
}

TEST(NodeXmlReader, ReadsWhatTheFormatAllows) {
  NodePtr t = Parse(
      "<?xml version=\"1.0\"?><?xml-stylesheet type=\"text/xsl\" href=\"x.xsl\" ?>\r\n"
      "<attr name=\"early\">ignored</attr><NODE name=\"n\" name=\"second\" other=\"x\">"
      "<attr name=\"q\" type=\"q\">-5</attr><attr name=\"f\" type=\"f\">x</attr>"
      "<attr>nameless</attr><attr name=\"e\"></attr>"
      "<iattr name=\"3\" val=\"7\"/><iattr name=\"9\"/><unknown/></attr>"
      "<iattr name=\"99999999\" val=\"1\"/>"
      "<node/><node name=\"c\"></node></node><node name=\"second root\"/>");
  ASSERT_TRUE(t);
  EXPECT_STREQ(t->Name(), "n");
  ASSERT_EQ(t->attrs.Count(), 3);
  EXPECT_EQ(t->attrs.At(0)->value.AsInt64(), -5);
  EXPECT_STREQ(t->attrs.At(1)->value.AsString(), "x");  // an unknown type is text
  ASSERT_EQ(t->itable.count(), 4);
  EXPECT_EQ(t->itable.Get(3), 7);
  ASSERT_TRUE(t->FirstChild());
  EXPECT_EQ(t->FirstChild()->name, nullptr);  // "<node/>" is not lost
  EXPECT_STREQ(t->LastChild()->Name(), "c");
  EXPECT_EQ(t->Next(), nullptr);
  const std::string two = "<node name=\"x\"/>\r\n<node name=\"y\"/>";
  long consumed = -1;
  DataNode* x = ParseNodeXml(t.get(), two.data(), -1, &consumed);
  EXPECT_EQ(x, t->LastChild());
  EXPECT_EQ(consumed, static_cast<long>(two.find('\r')));
  // Files from before texts were escaped: "<" ends a value, a stray "&" stays.
  NodePtr old = Parse("<node name=\"a & b\"><attr name=\"v\">x<y</attr></node>");
  ASSERT_TRUE(old);
  EXPECT_STREQ(old->Name(), "a & b");
  EXPECT_STREQ(old->attrs.ValueOf("v").AsString(), "x");
  // A tag's attributes are taken only when the tag is well formed, and not decoded.
  AttrList list;
  auto parse = [&list](const std::string& tag) {
    return ParseTagAttributes(&list, tag.data(), static_cast<long>(tag.size()));
  };
  EXPECT_EQ(parse("  a=\"1\"b=\"&#60;\"/>"), 1);
  EXPECT_STREQ(list.ValueAt(1).AsString(), "&#60;");
  for (const char* bad : {"", " name=a>", " =\"x\">", " name=\"open>", " name=\"a\" junk>"})
    EXPECT_EQ(parse(bad), 0) << bad;
  EXPECT_EQ(parse(" " + std::string(600, 'n') + "=\"x\">"), 0);
}

void Preorder(const DataNode* n, std::vector<const DataNode*>* out) {
  for (; n; n = n->Next()) {
    out->push_back(n);
    Preorder(n->FirstChild(), out);
  }
}

TEST(NodeXmlReader, EveryPrefixReadsAPrefixOfTheTree) {
  NodePtr original = SampleTree();
  original->attrs.Set("real", AttrValue(), 1);  // "2." is no prefix of 2.5 as a number
  const std::string text = Write(original.get(), false);
  std::vector<const DataNode*> order;
  Preorder(original.get(), &order);
  for (size_t length = 0; length <= text.size(); ++length) {
    SCOPED_TRACE(length);
    NodePtr t(ParseNodeXml(nullptr, text.data(), static_cast<long>(length), nullptr));
    ASSERT_EQ(t != nullptr, length > text.find('>'));
    std::vector<const DataNode*> read;
    Preorder(t.get(), &read);
    ASSERT_TRUE(read.size() <= order.size() &&
                (length < text.size() || read.size() == order.size()));
    for (size_t k = 0; k < read.size(); ++k) {
      const DataNode *n = read[k], *o = order[k];
      EXPECT_STREQ(n->Name(), o->Name());
      EXPECT_EQ(n->val, o->val);
      for (const NodeAttr& a : n->attrs.items()) {
        const NodeAttr* b = const_cast<DataNode*>(o)->attrs.Find(a.name);
        ASSERT_TRUE(b) << a.name;
        // A cut value reads as the start of its text ("-4" of "-42"; "-" alone is 0).
        const bool start = b->value.FullText().rfind(a.value.FullText(), 0) == 0;
        EXPECT_TRUE(start || (a.value.AsString() == nullptr && a.value.AsInt64() == 0))
            << a.name << " " << a.value.FullText();
      }
      for (int64_t i = 0; i < n->itable.count(); ++i) EXPECT_EQ(n->itable.Get(i), o->itable.Get(i));
    }
  }
}

// Damaged lines cost only themselves.
TEST(AttrLines, WrittenWholeAndReadBackPastDamagedLines) {
  testing::TempTree dir;
  AttrList list;
  list.Set("path", AttrValue::FromString("/home/u/a\tb/\xff\xfe"), 0);
  list.Set("unset", AttrValue(), 0);
  const std::string big(40000, 'x');
  list.Set("long", AttrValue::FromString(big), 0);
  const std::string file = dir / "1.jpg.backup_info";
  ASSERT_EQ(WriteAttrLines(file, list, "\t"), 1);
  EXPECT_EQ(testing::ReadFile(file),
            "path\t/home/u/a\tb/\xff\xfe\r\nunset\t\r\nlong\t" + big + "\r\n");
  AttrList read;
  ASSERT_EQ(ReadAttrLines(file, &read, "\t"), 1);
  ASSERT_EQ(read.Count(), 2);  // an empty value is not read back
  EXPECT_STREQ(read.ValueOf("path").AsString(), "/home/u/a\tb/\xff\xfe");
  EXPECT_EQ(std::string(read.ValueOf("long").AsString()), big);
  EXPECT_EQ(WriteAttrLines("/dev/full", list, "\t"), 0);
  EXPECT_EQ(WriteAttrLines(dir / "missing/x", list, "\t"), 0);
  EXPECT_EQ(ReadAttrLines(dir / "missing", &read, "\t"), 0);
  EXPECT_EQ(ReadAttrLines(dir.root(), &read, "\t"), 0);  // a folder
  EXPECT_EQ(read.Count(), 2);
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
  testing::WriteFile(file, "a: b: c\r\n");
  ASSERT_EQ(ReadAttrLines(file, &list, ": "), 1);
  EXPECT_STREQ(list.ValueOf("a").AsString(), "b: c");
  EXPECT_EQ(ReadAttrLines(file, &list, ""), 1);  // no separator: no line can be split
  EXPECT_EQ(list.Count(), 0);
}

}  // namespace
}  // namespace tf
