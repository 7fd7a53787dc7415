// The backup folder's entries as the command line shows them (text or JSON), and the
// lookup of an entry by the name a user types.
#pragma once

#include <cstdio>
#include <string>

#include "datatree/data_node.h"

namespace tf {

// The entry named by `name`: its stored name or full path; else, when exactly one entry
// has it, its number and original name as "<n>.<name>" (the stored name of a plain
// copy), its original name, or its number. Null with the reason in `problem`.
DataNode* FindBackupEntry(DataNode* entries, const std::string& name, std::string* problem);

// One header line, then one tab-separated line per entry: number, original name,
// location, placed, type, size, comment, each through TerminalText, so every entry stays
// on one line.
bool WriteBackupText(DataNode* entries, std::FILE* out);
// {"folder_entries":[{...}]} with the same fields plus the stored name and the size in
// bytes. A text that is not UTF-8 is written with U+FFFD for its bad bytes and again,
// exactly, as "<field>_base64".
bool WriteBackupJson(DataNode* entries, std::FILE* out);

}  // namespace tf
