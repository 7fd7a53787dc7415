// Reads any bytes as the summary of a compound document would be read, and makes each
// property found into the text the properties view shows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/document_summary.h"
#include "results/file_properties.h"

// The summary library leaks a little on some damaged documents (a code page converter, a
// value of a property it gives up on). Those allocations are the library's, not ours to
// free; the leak checker is told so, and unwinds through the library (built without frame
// pointers) to see whose they are, so that leaks of ours still stop the fuzzer.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:iconv_open\nleak:libgsf-1.so\n";
}
extern "C" const char* __asan_default_options() {
  return "fast_unwind_on_malloc=0";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<tf::SummaryProperty> properties;
  if (!tf::ReadDocumentSummaryBytes(data, size, &properties) && !properties.empty()) std::abort();
  int previous = 0;
  for (const tf::SummaryProperty& property : properties) {
    // Properties come once each, in identifier order, and all have a name.
    if (property.id <= previous || tf::SummaryPropertyName(property.id).empty()) std::abort();
    previous = property.id;
    tf::SummaryPropertyText(property);
  }
  return 0;
}
