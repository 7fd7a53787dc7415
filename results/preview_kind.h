// PreviewKind: which preview pane shows a file, chosen by its extension.
#pragma once

#include <string>
#include <string_view>

namespace tf {

enum PreviewKindCode {
  kPreviewNone = 0,
  kPreviewText = 1,
  kPreviewHtml = 2,
  kPreviewXml = 3,
  kPreviewZip = 4,
  kPreviewWebImage = 5,
  kPreviewBitmap = 6,
  kPreviewSource = 7,
};

// The lower-cased extension of a file name as the program reads it everywhere: the text
// after the last '.', unless that dot begins the name, and none for a name shorter than
// three characters.
std::string LowerExtension(std::string_view path);

// The kind of the extension alone (kPreviewZip only when `zipAvailable`).
int PreviewKindOfName(std::string_view path, bool zipAvailable);
// The kind of an existing regular file; kPreviewNone for anything else.
int PreviewKind(const std::string& path, bool zipAvailable = true);

}  // namespace tf
