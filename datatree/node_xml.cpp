#include "datatree/node_xml.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iterator>
#include <limits>
#include <ostream>
#include <sstream>

namespace tf {

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr size_t kMaxTagNameBytes = 511;
constexpr size_t kMaxAttrNameBytes = 511;

// ---------------------------------------------------------------- numbers

// Decimal text as the reader has always taken it: optional blanks and sign, then the
// digits up to the first other byte. Saturates instead of overflowing.
int64_t parseInt64(const char* text) {
  if (!text) return 0;
  const char* p = text;
  while (*p == ' ' || *p == '\t') ++p;
  bool negative = false;
  if (*p == '-' || *p == '+') negative = (*p++ == '-');
  uint64_t magnitude = 0;
  const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  for (; *p >= '0' && *p <= '9'; ++p) {
    const uint64_t digit = static_cast<uint64_t>(*p - '0');
    if (magnitude > (limit - digit) / 10) {
      magnitude = limit;
      break;
    }
    magnitude = magnitude * 10 + digit;
  }
  if (!negative) return static_cast<int64_t>(magnitude);
  return magnitude == (uint64_t{1} << 63) ? std::numeric_limits<int64_t>::min()
                                          : -static_cast<int64_t>(magnitude);
}

int32_t parseInt32(const char* text) {
  const int64_t v = parseInt64(text);
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

std::string formatInt64(int64_t v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%" PRId64, v);
  return buf;
}

// ---------------------------------------------------------------- writer

class XmlWriter {
 public:
  explicit XmlWriter(XmlSink* sink) : m_out(*sink->out), m_writeAll(sink->writeAll) {}

  bool put(std::string_view text) {
    m_out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return m_out.good();
  }
  bool tabs(int n) { return n <= 0 || put(std::string(static_cast<size_t>(n), '\t')); }
  bool escaped(const char* text) { return put(EscapeString(text ? text : "")); }

  bool header(const char* styleSheet);
  // The start tag with its fields, attributes and integer entries. `open` tells
  // whether an end tag must follow (false: the element was closed with "/>").
  bool head(const DataNode& node, bool* open);
  bool tail(const DataNode& node) { return put(kLineEnd) && tabs(node.depth) && put("</node>"); }

 private:
  bool field(const char* label, const char* text) {
    return !text || (put(label) && escaped(text) && put("\""));
  }
  bool number(const char* label, int64_t v) {
    return v == 0 || (put(label) && put(formatInt64(v)) && put("\""));
  }
  bool keeps(const AttrValue& v) const;
  bool hasEntries(const IntTable& table) const;
  bool attribute(const NodeAttr& attr, int depth);
  bool entries(const IntTable& table, int depth);

  std::ostream& m_out;
  bool m_writeAll;
};

bool XmlWriter::header(const char* styleSheet) {
  if (!styleSheet || !*styleSheet) return true;
  return put("<?xml version=\"1.0\"?><?xml-stylesheet type=\"text/xsl\" href=\"") &&
         escaped(styleSheet) && put("\" ?>") && put(kLineEnd);
}

bool XmlWriter::keeps(const AttrValue& v) const {
  switch (v.type()) {
    case AttrValue::kUnset:
      return false;
    case AttrValue::kString:
    case AttrValue::kStringRef:
      return m_writeAll || (v.AsString() && *v.AsString());
    case AttrValue::kReal:
      return m_writeAll || v.AsReal() != 0.0;
    default:
      return m_writeAll || v.AsInt64() != 0;
  }
}

bool XmlWriter::hasEntries(const IntTable& table) const {
  if (table.count() <= 0) return false;
  if (m_writeAll) return true;
  for (int64_t i = 0; i < table.count(); ++i) {
    if (table.Get(i) != 0) return true;
  }
  return false;
}

bool XmlWriter::attribute(const NodeAttr& attr, int depth) {
  const AttrValue& v = attr.value;
  if (!keeps(v)) return true;
  const bool text = v.type() == AttrValue::kString || v.type() == AttrValue::kStringRef;
  if (!(put(kLineEnd) && tabs(depth + 1) && put("<attr name=\"") && escaped(attr.name.c_str())))
    return false;
  if (!text && !(put("\" type=\"") && put(std::string(1, v.type())))) return false;
  if (!put("\">")) return false;
  if (!(text ? escaped(v.AsString()) : put(v.FullText()))) return false;
  return put("</attr>");
}

bool XmlWriter::entries(const IntTable& table, int depth) {
  for (int64_t i = 0; i < table.count(); ++i) {
    const int64_t v = table.Get(i);
    if (v == 0 && !m_writeAll) continue;
    if (!(put(kLineEnd) && tabs(depth + 1) && put("<iattr name=\"") && put(formatInt64(i)) &&
          put("\" val=\"") && put(formatInt64(v)) && put("\"/>")))
      return false;
  }
  return true;
}

bool XmlWriter::head(const DataNode& node, bool* open) {
  if (node.parent && !put(kLineEnd)) return false;
  if (!(tabs(node.depth) && put("<node"))) return false;
  // A result's file node keeps its folder apart; the file holds its whole name.
  const bool inFolder = node.NameFollowsDesc();
  const std::string whole = inFolder ? FullName(&node) : std::string();
  const std::string folder = inFolder ? FullDesc(&node) : std::string();
  const char* name = inFolder ? whole.c_str() : node.name;
  const char* desc = inFolder ? folder.c_str() : node.desc;
  if (!(field(" name=\"", name) && field(" desc=\"", desc) && number(" id=\"", node.id) &&
        number(" kind=\"", node.kind) && number(" group=\"", node.group) &&
        number(" val=\"", node.val) && number(" val2=\"", node.val2)))
    return false;
  const bool withAttrs = node.attrs.Count() > 0;
  const bool withEntries = hasEntries(node.itable);
  *open = withAttrs || withEntries || node.firstChild;
  if (!*open) return put("/>");
  if (!put(">")) return false;
  for (const NodeAttr& a : node.attrs.items()) {
    if (!attribute(a, node.depth)) return false;
  }
  return !withEntries || entries(node.itable, node.depth);
}

// ---------------------------------------------------------------- tags

// One tag found by the reader: `<` at lt, name in [lt + 1, nameEnd), `>` at gt.
struct Tag {
  size_t lt = 0;
  size_t nameEnd = 0;
  size_t gt = 0;
  bool selfClosing = false;
  std::string_view name;
};

enum class TagSearch { kFound, kNone, kBadName };

// The next tag at or after `pos`: kNone when no `<` with a `>` after it is left (or the
// `<` is the last byte); kBadName when the name is empty, too long or has no `>` after.
TagSearch nextTag(std::string_view text, size_t pos, Tag* tag) {
  const size_t lt = text.find('<', pos);
  if (lt == std::string_view::npos || lt + 1 >= text.size()) return TagSearch::kNone;
  const size_t anyGt = text.find('>', lt + 1);
  if (anyGt == std::string_view::npos) return TagSearch::kNone;
  size_t nameEnd = text.find_first_of(" >", lt + 1);
  const size_t nameLength = nameEnd - (lt + 1);
  if (nameLength == 0 || nameLength > kMaxTagNameBytes) return TagSearch::kBadName;
  const size_t gt = text.find('>', nameEnd);
  tag->lt = lt;
  tag->nameEnd = nameEnd;
  tag->gt = gt;
  tag->selfClosing = text[gt - 1] == '/';
  tag->name = text.substr(lt + 1, nameLength);
  return TagSearch::kFound;
}

bool nameIs(std::string_view name, std::string_view wanted) {
  if (name.size() != wanted.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    char c = name[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != wanted[i]) return false;
  }
  return true;
}

// The first attribute of that name (a tag that repeats one keeps the first), or null.
const char* firstValue(const AttrList& list, const char* name) {
  for (const NodeAttr& a : list.items()) {
    if (a.name == name) return a.value.AsString() ? a.value.AsString() : "";
  }
  return nullptr;
}

bool tagAttributes(std::string_view text, const Tag& tag, AttrList* list) {
  return ParseTagAttributes(list, text.data() + tag.nameEnd,
                            static_cast<long>(tag.gt + 1 - tag.nameEnd)) != 0;
}

// ---------------------------------------------------------------- reader

// What one (possibly nested) element parse gives: the node and how far it read.
struct Parsed {
  DataNode* node = nullptr;
  size_t consumed = 0;
  bool aborted = false;  // stopped at a malformed tag: the count was not set
};

class XmlReader {
 public:
  explicit XmlReader(std::string_view text) : m_text(text) {}
  Parsed element(DataNode* parent, size_t start, int depth);
  // The node of the outermost element, once made; what a parse cut short by an
  // exception still returns.
  DataNode* first() const { return m_first; }

 private:
  enum class Step { kNext, kEnd, kAbort };

  Step startNode(DataNode* parent, const Tag& tag, DataNode** node);
  Step attr(DataNode* node, const Tag& tag, size_t* pos);
  Step iattr(DataNode* node, const Tag& tag);
  size_t skipElement(size_t start) const;

  std::string_view m_text;
  DataNode* m_first = nullptr;
};

XmlReader::Step XmlReader::startNode(DataNode* parent, const Tag& tag, DataNode** node) {
  *node = CreateNode(parent, nullptr, parent ? ATTACH_LAST_CHILD : ATTACH_ROOT);
  if (!*node) return Step::kEnd;
  if (!m_first) m_first = *node;
  // "<node/>" is how an element without fields is written; it is an empty node.
  if (nameIs(tag.name, "node/")) return Step::kEnd;
  AttrList list;
  if (!tagAttributes(m_text, tag, &list)) return Step::kEnd;
  DataNode* n = *node;
  if (const char* v = firstValue(list, "name")) SetName(n, UnescapeString(v));
  if (const char* v = firstValue(list, "kind")) n->kind = parseInt32(v);
  if (const char* v = firstValue(list, "desc")) SetDesc(n, UnescapeString(v));
  if (const char* v = firstValue(list, "id")) n->id = parseInt32(v);
  if (const char* v = firstValue(list, "group")) n->group = parseInt32(v);
  if (const char* v = firstValue(list, "val")) n->val = parseInt64(v);
  if (const char* v = firstValue(list, "val2")) n->val2 = parseInt64(v);
  return tag.selfClosing ? Step::kEnd : Step::kNext;
}

AttrValue attrValueFrom(char type, const std::string& text) {
  switch (type) {
    case AttrValue::kInt:
      return AttrValue::FromInt(parseInt32(text.c_str()));
    case AttrValue::kInt64:
      return AttrValue::FromInt64(parseInt64(text.c_str()));
    case AttrValue::kReal:
      return AttrValue::FromReal(std::strtod(text.c_str(), nullptr));
    default: {
      const std::string decoded = UnescapeString(text);
      return AttrValue::FromBytes(decoded.data(), static_cast<long>(decoded.size()));
    }
  }
}

XmlReader::Step XmlReader::attr(DataNode* node, const Tag& tag, size_t* pos) {
  AttrList list;
  if (!tagAttributes(m_text, tag, &list)) return Step::kEnd;
  const char* typeText = firstValue(list, "type");
  const char type = (typeText && *typeText) ? typeText[0] : AttrValue::kString;
  std::string value;
  if (!tag.selfClosing) {
    size_t end = m_text.find('<', tag.gt + 1);
    if (end == std::string_view::npos) end = m_text.size();
    value.assign(m_text.substr(tag.gt + 1, end - (tag.gt + 1)));
  }
  if (const char* name = firstValue(list, "name"))
    node->attrs.Set(UnescapeString(name), attrValueFrom(type, value), 0);
  // A self-closing attr has no end tag; skipping to one would swallow its neighbours.
  if (tag.selfClosing) return Step::kNext;
  for (;;) {
    Tag end;
    const TagSearch found = nextTag(m_text, *pos, &end);
    if (found == TagSearch::kNone) return Step::kEnd;
    if (found == TagSearch::kBadName) return Step::kAbort;
    *pos = end.gt + 1;
    if (nameIs(end.name, "/attr")) return Step::kNext;
  }
}

XmlReader::Step XmlReader::iattr(DataNode* node, const Tag& tag) {
  AttrList list;
  if (!tagAttributes(m_text, tag, &list)) return Step::kEnd;
  if (m_text.find('<', tag.gt + 1) == std::string_view::npos) return Step::kAbort;
  const char* index = firstValue(list, "name");
  const char* value = firstValue(list, "val");
  // The program keeps a handful of entries per node; an index far beyond that in a file
  // is damage, and honouring it would let a 40-byte element claim megabytes.
  constexpr int64_t kMaxStoredIndex = 4095;
  if (index && value) {
    const int64_t at = parseInt64(index);
    if (at <= kMaxStoredIndex) node->itable.Set(at, parseInt64(value), 1);
  }
  return Step::kNext;
}

// The length of the node element that starts at `start`, found by counting its start
// and end tags, for elements too deep to be read.
size_t XmlReader::skipElement(size_t start) const {
  size_t pos = start;
  int open = 0;
  for (;;) {
    Tag tag;
    if (nextTag(m_text, pos, &tag) != TagSearch::kFound) return m_text.size() - start;
    pos = tag.gt + 1;
    if (nameIs(tag.name, "node") && !tag.selfClosing) ++open;
    if (nameIs(tag.name, "/node")) --open;
    if (open <= 0) return pos - start;
  }
}

Parsed XmlReader::element(DataNode* parent, size_t start, int depth) {
  Parsed result;
  size_t pos = start;
  Step step = Step::kNext;
  while (step == Step::kNext) {
    Tag tag;
    const TagSearch found = nextTag(m_text, pos, &tag);
    if (found == TagSearch::kNone) {
      pos = m_text.size();
      break;
    }
    if (found == TagSearch::kBadName) {
      step = Step::kAbort;
      break;
    }
    pos = tag.gt + 1;
    if (nameIs(tag.name, "/node")) break;
    const bool isNode = nameIs(tag.name, "node") || nameIs(tag.name, "node/");
    if (isNode && !result.node) {
      step = startNode(parent, tag, &result.node);
    } else if (isNode && depth >= kMaxXmlNodeDepth) {
      pos = tag.lt + skipElement(tag.lt);
    } else if (isNode) {
      Parsed child = element(result.node, tag.lt, depth + 1);
      pos = tag.lt + child.consumed;
      if (child.aborted)
        step = Step::kAbort;
      else if (!child.node)
        step = Step::kEnd;
    } else if (result.node && nameIs(tag.name, "attr")) {
      step = attr(result.node, tag, &pos);
    } else if (result.node && nameIs(tag.name, "iattr")) {
      step = iattr(result.node, tag);
    }
  }
  // A stop at a malformed tag ends every enclosing element too: they all take the
  // rest of the text as read.
  result.aborted = step == Step::kAbort;
  result.consumed = result.aborted ? m_text.size() - start : pos - start;
  return result;
}

// ---------------------------------------------------------------- escaping

// The byte of a reference "&#N;" at `text[i]` with N of 1 to 3 digits in 1..255, and
// its length; 0 when no such reference starts there.
size_t decodeReference(std::string_view text, size_t i, char* byte) {
  if (text.compare(i, 2, "&#") != 0) return 0;
  size_t j = i + 2;
  int number = 0;
  while (j < text.size() && j - (i + 2) < 3 && text[j] >= '0' && text[j] <= '9')
    number = number * 10 + (text[j++] - '0');
  if (j == i + 2 || j >= text.size() || text[j] != ';') return 0;
  if (number < 1 || number > 255) return 0;
  *byte = static_cast<char>(static_cast<unsigned char>(number));
  return j + 1 - i;
}

// The rest of the stream. libstdc++ throws from a read that fails (a folder opened as a
// file reports "Is a directory" that way), so the exception is turned into false here.
bool readRest(std::istream& in, std::string* text) {
  try {
    text->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } catch (const std::exception&) {
    return false;
  }
  return !in.bad();
}

int writeTree(const DataNode* node, XmlSink* sink, const char* styleSheet) {
  XmlWriter w(sink);
  if (!w.header(styleSheet)) return 0;
  // Pre-order walk through the links, so the depth of the tree costs no stack.
  const DataNode* cur = node;
  for (;;) {
    bool open = false;
    if (!w.head(*cur, &open)) return 0;
    if (cur->firstChild) {
      cur = cur->FirstChild();
      continue;
    }
    if (open && !w.tail(*cur)) return 0;
    while (cur != node && !cur->nextSibling) {
      cur = cur->Parent();
      if (!w.tail(*cur)) return 0;
    }
    if (cur == node) return 1;
    cur = cur->Next();
  }
}

}  // namespace

// ---------------------------------------------------------------- public

int WriteNodeXml(const DataNode* node, XmlSink* sink, const char* styleSheet) {
  if (!node || !sink || !sink->out) return 0;
  try {
    return writeTree(node, sink, styleSheet);
  } catch (const std::exception&) {
    return 0;  // a stream set to throw, or memory running out
  }
}

int WriteNodeXml(const DataNode* node, std::string* out, bool writeAll,
                 const std::string& styleSheet) {
  if (!out) return 0;
  std::ostringstream stream;
  XmlSink sink{&stream, writeAll};
  const int ok = WriteNodeXml(node, &sink, styleSheet.c_str());
  *out = std::move(stream).str();
  return ok;
}

DataNode* ParseNodeXml(DataNode* parent, const char* text, long length, long* consumed) {
  if (!text) return nullptr;
  const size_t n = length < 0 ? std::strlen(text) : static_cast<size_t>(length);
  XmlReader reader(std::string_view(text, n));
  try {
    Parsed parsed = reader.element(parent, 0, 1);
    if (consumed && !parsed.aborted) *consumed = static_cast<long>(parsed.consumed);
    return parsed.node;
  } catch (const std::exception&) {
    return reader.first();  // memory ran out: keep what was built
  }
}

DataNode* LoadTreeXml(std::istream& in) {
  std::string text;
  if (!readRest(in, &text) || text.empty()) return nullptr;
  return ParseNodeXml(nullptr, text);
}

int ParseTagAttributes(AttrList* list, const char* text, long length) {
  if (!list || !text || length <= 0) return 0;
  list->Clear();
  const std::string_view t(text, static_cast<size_t>(length));
  size_t pos = 0;
  for (;;) {
    while (pos < t.size() && t[pos] == ' ') ++pos;
    if (pos >= t.size()) return list->Count() == 0 ? 1 : 0;
    if (t[pos] == '>' || t[pos] == '/') return 1;
    const size_t nameEnd = t.find_first_of(" =", pos);
    if (nameEnd == std::string_view::npos || nameEnd == pos || t[nameEnd] != '=') return 0;
    if (nameEnd - pos > kMaxAttrNameBytes) return 0;
    if (nameEnd + 1 >= t.size() || t[nameEnd + 1] != '"') return 0;
    const size_t valueStart = nameEnd + 2;
    const size_t close = t.find('"', valueStart);
    if (close == std::string_view::npos) return 0;
    const std::string name(t.substr(pos, nameEnd - pos));
    const std::string_view value = t.substr(valueStart, close - valueStart);
    list->Set(name,
              value.empty() ? AttrValue::FromString("")
                            : AttrValue::FromBytes(value.data(), static_cast<long>(value.size())),
              0);
    pos = close + 1;
    if (pos < t.size() && t[pos] == '>') return 1;
  }
}

std::string FormatAttrLines(const AttrList& list, const std::string& separator) {
  std::string out;
  for (const NodeAttr& a : list.items()) {
    out += a.name;
    out += separator;
    out += a.value.FullText();
    out += kLineEnd;
  }
  return out;
}

int ParseAttrLines(AttrList* list, std::string_view text, const std::string& separator) {
  if (!list) return 0;
  list->Clear();
  if (separator.empty()) return 0;
  size_t pos = 0;
  while (text.size() - pos > 1) {
    size_t lineEnd = text.find(kLineEnd, pos);
    if (lineEnd == std::string_view::npos) lineEnd = text.size();
    const std::string_view line = text.substr(pos, lineEnd - pos);
    pos = lineEnd == text.size() ? text.size() : lineEnd + 2;
    // The separator is looked for within the line only: a damaged line must not take
    // the name of the next one.
    const size_t sep = line.find(separator);
    if (sep == std::string_view::npos) continue;
    std::string_view name = line.substr(0, sep);
    std::string_view value = line.substr(sep + separator.size());
    name = name.substr(0, name.find('\0'));
    value = value.substr(0, value.find('\0'));
    if (name.empty() || value.empty()) continue;
    list->Set(std::string(name),
              AttrValue::FromBytes(value.data(), static_cast<long>(value.size())), 0);
  }
  return 1;
}

std::string EscapeString(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  for (;;) {
    const size_t special = text.find_first_of("\"<>&", pos);
    out.append(text.substr(pos, special - pos));
    if (special == std::string_view::npos) return out;
    char buf[8];
    std::snprintf(buf, sizeof buf, "&#%d;", static_cast<int>(text[special]));
    out += buf;
    pos = special + 1;
  }
}

std::string UnescapeString(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  for (;;) {
    const size_t amp = text.find('&', pos);
    out.append(text.substr(pos, amp - pos));
    if (amp == std::string_view::npos) return out;
    char byte = 0;
    const size_t n = decodeReference(text, amp, &byte);
    out += n ? byte : '&';
    pos = amp + (n ? n : 1);
  }
}

namespace {

const char* recode(AttrValue* value, std::string (*convert)(std::string_view)) {
  if (!value || !value->AsString()) return nullptr;
  const std::string_view old(value->AsString());
  std::string changed = convert(old);
  if (changed != old) value->SetString(changed.c_str());
  return value->AsString();
}

}  // namespace

const char* EscapeText(AttrValue* value) {
  return recode(value, EscapeString);
}
const char* UnescapeText(AttrValue* value) {
  return recode(value, UnescapeString);
}

}  // namespace tf
