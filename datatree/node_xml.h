// The text forms of data trees: the indented XML form of a subtree (settings, mask
// collections), the line form of an attribute list (backup descriptors) and the
// character references that keep markup characters out of stored texts.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

#include "datatree/attr_list.h"
#include "datatree/attr_value.h"
#include "datatree/data_node.h"

namespace tf {

// Where WriteNodeXml puts its bytes. With writeAll, empty attributes and zero entries
// of the integer table are written too; otherwise they are left out.
struct XmlSink {
  std::ostream* out = nullptr;
  bool writeAll = false;
};

// Elements nested deeper than this below the element a parse starts at are skipped
// with everything inside them, so a hostile file cannot exhaust the stack.
constexpr int kMaxXmlNodeDepth = 256;

// Writes `node` and its subtree, indented by the node's own depth. A non-empty style
// sheet adds the declaration and style-sheet line in front. Every name, desc and
// string value is written whole, with `"`, `<`, `>` and `&` as character references.
// 1 when everything was written; 0 for a null node or sink or at the first failed
// write (what was written stays written).
int WriteNodeXml(const DataNode* node, XmlSink* sink, const char* styleSheet);
// The same into a string, replacing its content (platform/node_files.h saves it).
int WriteNodeXml(const DataNode* node, std::string* out, bool writeAll,
                 const std::string& styleSheet = std::string());

// Builds the node of the first `node` element of `text` (with its attributes, integer
// entries and child elements) under `parent`, or as a new root when parent is null.
// A negative length reads up to the terminating zero. `consumed`, when given, receives
// the number of bytes read up to the element's end tag. Never fails loudly: returns
// what was built before the text stopped making sense, or null without any element.
// The caller owns the result (DeleteNode).
DataNode* ParseNodeXml(DataNode* parent, const char* text, long length, long* consumed);
inline DataNode* ParseNodeXml(DataNode* parent, std::string_view text) {
  return ParseNodeXml(parent, text.data(), static_cast<long>(text.size()), nullptr);
}
// Reads from the stream's position to its end and parses that as a new root; null for
// an empty or unreadable stream or a text without a `node` element.
DataNode* LoadTreeXml(std::istream& in);

// Parses the attributes of one tag, `name="value" ...` up to and including the `>` or
// `/` that ends the tag, into `list` as string attributes (values are not decoded).
// 1 when well formed, 0 otherwise (and for a null text or a length of 0 or less).
int ParseTagAttributes(AttrList* list, const char* text, long length);

// The line form: name, separator, value, CR LF per attribute, in list order; an unset
// value writes as an empty text. Values are written whole.
std::string FormatAttrLines(const AttrList& list, const std::string& separator);
// Clears `list` and reads the line form: each line that holds the separator and has a
// non-empty name and a non-empty value gives one string attribute; other lines are
// passed over. A NUL byte ends the name or value it stands in. 0 for an empty
// separator.
int ParseAttrLines(AttrList* list, std::string_view text, const std::string& separator);

// `"`, `<`, `>` and `&` become "&#34;", "&#60;", "&#62;" and "&#38;"; nothing else
// changes.
std::string EscapeString(std::string_view text);
// Decodes every reference "&#" 1 to 3 digits ";" whose number is 1..255 into that byte;
// any other `&` is kept as it stands, so text without references comes back unchanged.
std::string UnescapeString(std::string_view text);
// The same on a string value ('s' or 'f' with text), replacing it by an owned string
// when anything changed; a borrowed text is never written to. Returns the value's
// (new) text, or null for values that are not strings.
const char* EscapeText(AttrValue* value);
const char* UnescapeText(AttrValue* value);

}  // namespace tf
