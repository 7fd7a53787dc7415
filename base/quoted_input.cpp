#include "base/quoted_input.h"

namespace tf {

std::string QuoteInput(std::string_view text) {
  if (text.size() <= kMaxQuotedBytes) return std::string(text);
  size_t end = kMaxQuotedBytes - 40;
  // Back to the start of a UTF-8 sequence; a run of stray continuation bytes is cut anyway.
  for (int back = 0; back < 3 && end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80;
       ++back)
    --end;
  return std::string(text.substr(0, end)) + "... (" + std::to_string(text.size()) + " bytes)";
}

}  // namespace tf
