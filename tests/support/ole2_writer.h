// Writes small compound documents with a summary stream through libgsf's own writer, so
// that tests read the kind of file an office program leaves behind.
#pragma once

// The writer is built in its own file: GLib's headers clash with Qt's keywords.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace tf::testing {

// A summary property by the writer's name ("dc:title", "gsf:page-count", ...).
struct Ole2Property {
  std::string name;
  // Text, a 32-bit integer, a boolean, a real number, or a time as Unix seconds.
  std::variant<std::string, int, bool, double, int64_t> value;
};

// Writes `path` as a compound document holding a "SummaryInformation" stream with
// `properties` and a "WordDocument" stream with some bytes. True on success.
bool WriteOle2Document(const std::string& path, const std::vector<Ole2Property>& properties);

}  // namespace tf::testing
