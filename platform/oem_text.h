// Names stored in the old DOS code page (as zip archives without the UTF-8 flag keep
// them) made into UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace tf {

// `bytes` unchanged when they are valid UTF-8, else read in code page 437.
std::string OemToUtf8(std::string_view bytes);

}  // namespace tf
