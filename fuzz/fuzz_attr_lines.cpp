// Reads any bytes as a backup descriptor would be read, writes the list back and reads
// that again: the second text must reproduce the first exactly.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "datatree/node_xml.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first byte picks the separator, so multi-byte separators are exercised too.
  static const char* const kSeparators[] = {"\t", "=", ": ", "\r\n\t"};
  if (size == 0) return 0;
  const std::string separator = kSeparators[data[0] % 4];
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  tf::AttrList list;
  if (!tf::ParseAttrLines(&list, text, separator)) std::abort();
  const std::string first = tf::FormatAttrLines(list, separator);
  tf::AttrList again;
  tf::ParseAttrLines(&again, first, separator);
  if (again.Count() != list.Count()) std::abort();
  if (tf::FormatAttrLines(again, separator) != first) std::abort();
  return 0;
}
