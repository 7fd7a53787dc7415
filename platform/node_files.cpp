#include "platform/node_files.h"

#include "datatree/node_xml.h"
#include "platform/stored_file.h"

namespace tf {

DataNode* LoadTreeXmlFile(const std::string& fileName, std::string* error) {
  std::string text;
  if (!ReadStoredFile(fileName, &text, kMaxStoredFileBytes, error)) return nullptr;
  if (text.empty()) {
    if (error) *error = "is empty";
    return nullptr;
  }
  DataNode* root = ParseNodeXml(nullptr, text);
  if (!root && error) *error = "holds no data";
  return root;
}

int WriteNodeXmlFile(const DataNode* node, const std::string& fileName, bool writeAll,
                     const std::string& styleSheet, std::string* error, bool makeFolder) {
  std::string text;
  if (!WriteNodeXml(node, &text, writeAll, styleSheet)) {
    if (error) *error = "nothing to write";
    return 0;
  }
  return SaveStoredFile(fileName, text, error, makeFolder);
}

int WriteAttrLines(const std::string& fileName, const AttrList& list, const std::string& separator,
                   std::string* error) {
  return SaveStoredFile(fileName, FormatAttrLines(list, separator), error);
}

int ReadAttrLines(const std::string& fileName, AttrList* list, const std::string& separator,
                  std::string* error) {
  if (!list) return 0;
  std::string text;
  if (!ReadStoredFile(fileName, &text, kMaxStoredFileBytes, error)) return 0;
  ParseAttrLines(list, text, separator);
  return 1;
}

}  // namespace tf
