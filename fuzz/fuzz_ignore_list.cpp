// Reads any bytes as the ignore list's file would be read; a list that was read is written
// back and read again, which must give the same entries and the same text, and every group
// of an entry must be hidden by it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "results/ignore_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  tf::IgnoreList list;
  std::string error;
  if (!list.FromJson(text, &error)) {
    if (error.empty() || !list.Empty()) std::abort();
    return 0;
  }
  const std::string first = list.ToJson();
  tf::IgnoreList again;
  if (!again.FromJson(first, &error) || again.Entries() != list.Entries()) std::abort();
  if (again.ToJson() != first) std::abort();
  for (const tf::IgnoreList::Entry& entry : list.Entries())
    if (entry.size() < 2 || !list.Hides(entry)) std::abort();
  return 0;
}
