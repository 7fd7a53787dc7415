// The file forms of data trees and attribute lists: the settings file, mask collections,
// search descriptors and backup descriptions are read and written only through these,
// which use the bounded read and the atomic save of stored_file.h.
#pragma once

#include <string>

#include "datatree/attr_list.h"
#include "datatree/data_node.h"

namespace tf {

// Parses the XML form in `fileName` as a new root (the caller owns it, DeleteNode); null
// when the file cannot be read as a stored file (missing, not a regular file, over the
// size cap; *error says which) or holds no `node` element.
DataNode* LoadTreeXmlFile(const std::string& fileName, std::string* error = nullptr);

// Saves the XML form of `node` atomically (see SaveStoredFile). 1 when the new file is in
// place; 0 leaves the old file as it was, with the reason in *error.
int WriteNodeXmlFile(const DataNode* node, const std::string& fileName, bool writeAll,
                     const std::string& styleSheet = std::string(), std::string* error = nullptr,
                     bool makeFolder = false);

// The line form of an attribute list in a file, saved atomically; 1 on success.
int WriteAttrLines(const std::string& fileName, const AttrList& list, const std::string& separator,
                   std::string* error = nullptr);
// Replaces `list` by the line form read from a stored file; 0 when the file cannot be read
// (the list is then left as it was).
int ReadAttrLines(const std::string& fileName, AttrList* list, const std::string& separator,
                  std::string* error = nullptr);

}  // namespace tf
