// The description of a file's type from the shared MIME database ("PNG image").
#pragma once

#include <string>
#include <string_view>

namespace tf {

// The database's description of the type guessed from the name of `path` and its first
// bytes (`head`, possibly empty); empty when the type is unknown or merely "some data".
std::string MimeTypeDescription(const std::string& path, std::string_view head);

}  // namespace tf
