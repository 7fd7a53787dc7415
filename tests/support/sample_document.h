// Writes small office documents (compound files with a summary stream) through libgsf's
// own writer: the kind of file an office program leaves behind, for the tests of the
// "File Properties" dialog and for its screenshot. The program itself never writes one.
#pragma once

// The writer is built in its own file: GLib's headers clash with Qt's keywords.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace tf {

// A summary property by the writer's name ("dc:title", "gsf:page-count", ...).
struct SampleProperty {
  std::string name;
  // Text, a 32-bit integer, a boolean, a real number, or a time as Unix seconds.
  std::variant<std::string, int, bool, double, int64_t> value;
};

// Writes `path` as a compound document holding a "SummaryInformation" stream with
// `properties` and a "WordDocument" stream with some bytes. True on success.
bool WriteSampleDocument(const std::string& path, const std::vector<SampleProperty>& properties);

}  // namespace tf
