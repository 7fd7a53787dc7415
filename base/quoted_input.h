// QuoteInput: how a message shows text that came from outside (a file name, a stored
// location, a typed name): whole when short, else its start and how long it was, so that a
// damaged or hostile input never makes a message of megabytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tf {

// The most bytes of one input a message quotes.
constexpr size_t kMaxQuotedBytes = 300;

// `text` itself when it holds at most kMaxQuotedBytes bytes; otherwise its first bytes (never
// ending inside a UTF-8 sequence), "..." and "(N bytes)".
std::string QuoteInput(std::string_view text);

}  // namespace tf
