// A small office document with summary properties, written for the screenshots of the
// "File Properties" dialog.
#pragma once

#include <string>

namespace tf {

// Writes a compound document with a title, author, dates and counts to `path`.
bool WriteScreenshotDocument(const std::string& path);

}  // namespace tf
