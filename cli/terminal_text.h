// Text on its way to a terminal: whatever a file name, comment or message holds, the
// terminal gets one line of printable characters and never an escape sequence.
#pragma once

#include <string>
#include <string_view>

namespace tf {

// `text` for one line of the terminal. Line breaks, tabs and carriage returns show as \n,
// \t and \r; other control characters (C0, DEL and the C1 range, which some terminals
// take as the start of a sequence) and bytes that are not well-formed UTF-8 show as \xhh,
// byte for byte; a backslash is doubled, so that what is shown reads back unambiguously.
// Ordinary text comes out unchanged.
std::string TerminalText(std::string_view text);
// The same, appended to `out`.
void AppendTerminalText(std::string_view text, std::string* out);

}  // namespace tf
