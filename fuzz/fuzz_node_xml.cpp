// Reads any bytes as a settings file would be read, writes the tree back and reads
// that again: what is written must read back to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "datatree/node_xml.h"

namespace {

std::string writeBack(const tf::DataNode* node, bool writeAll) {
  std::string text;
  if (!tf::WriteNodeXml(node, &text, writeAll)) std::abort();
  return text;
}

// Writing every zero entry of a table grown to a million entries is slow and finds
// nothing new; such trees are written back without write-all only.
bool smallTables(const tf::DataNode* node) {
  int64_t entries = 0;
  for (const tf::DataNode* cur = node; cur;) {
    entries += cur->itable.count();
    if (cur->firstChild) {
      cur = cur->FirstChild();
      continue;
    }
    while (cur != node && !cur->nextSibling) cur = cur->Parent();
    cur = cur == node ? nullptr : cur->Next();
  }
  return entries < 4096;
}

}  // namespace

// Parses `text` (which must be read to its end) and writes the tree back.
std::string reparse(const std::string& text, bool writeAll) {
  long consumed = -1;
  tf::DataNode* tree =
      tf::ParseNodeXml(nullptr, text.data(), static_cast<long>(text.size()), &consumed);
  if (!tree || consumed != static_cast<long>(text.size())) std::abort();
  std::string again = writeBack(tree, writeAll);
  tf::DeleteNode(tree);
  return again;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  tf::DataNode* tree = tf::LoadTreeXml(in);
  if (!tree) return 0;
  // With write-all every attribute is written, so the text must come back unchanged.
  // Without it, a node whose only attributes are empty is written open but reads back
  // without them, so the text settles after one more pass.
  if (smallTables(tree)) {
    const std::string all = writeBack(tree, true);
    if (reparse(all, true) != all) std::abort();
  }
  const std::string second = reparse(writeBack(tree, false), false);
  if (reparse(second, false) != second) std::abort();
  tf::DeleteNode(tree);
  return 0;
}
