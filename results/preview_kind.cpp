#include "results/preview_kind.h"

#include <algorithm>
#include <array>

#include "base/text_fold.h"
#include "platform/path_utils.h"

namespace tf {
namespace {

struct KindOfExtension {
  std::string_view extension;
  int kind;
};

// Besides the long-standing extensions, those a Linux user meets today, each in the pane
// that shows it best (only picture formats Qt reads are taken as web images).
constexpr std::array kKinds = {
    KindOfExtension{"txt", kPreviewText},      KindOfExtension{"log", kPreviewText},
    KindOfExtension{"xsl", kPreviewText},      KindOfExtension{"ini", kPreviewText},
    KindOfExtension{"bat", kPreviewText},      KindOfExtension{"css", kPreviewText},
    KindOfExtension{"csv", kPreviewText},      KindOfExtension{"md", kPreviewText},
    KindOfExtension{"json", kPreviewText},     KindOfExtension{"yaml", kPreviewText},
    KindOfExtension{"yml", kPreviewText},      KindOfExtension{"toml", kPreviewText},
    KindOfExtension{"conf", kPreviewText},     KindOfExtension{"cfg", kPreviewText},
    KindOfExtension{"sh", kPreviewText},       KindOfExtension{"htm", kPreviewHtml},
    KindOfExtension{"html", kPreviewHtml},     KindOfExtension{"shtml", kPreviewHtml},
    KindOfExtension{"xml", kPreviewXml},       KindOfExtension{"zip", kPreviewZip},
    KindOfExtension{"jpg", kPreviewWebImage},  KindOfExtension{"jpeg", kPreviewWebImage},
    KindOfExtension{"gif", kPreviewWebImage},  KindOfExtension{"png", kPreviewWebImage},
    KindOfExtension{"webp", kPreviewWebImage}, KindOfExtension{"svg", kPreviewWebImage},
    KindOfExtension{"bmp", kPreviewBitmap},    KindOfExtension{"dib", kPreviewBitmap},
    KindOfExtension{"cpp", kPreviewSource},    KindOfExtension{"c", kPreviewSource},
    KindOfExtension{"h", kPreviewSource},      KindOfExtension{"def", kPreviewSource},
    KindOfExtension{"js", kPreviewSource},     KindOfExtension{"java", kPreviewSource},
    KindOfExtension{"pas", kPreviewSource},    KindOfExtension{"bas", kPreviewSource},
    KindOfExtension{"cc", kPreviewSource},     KindOfExtension{"cxx", kPreviewSource},
    KindOfExtension{"hpp", kPreviewSource},    KindOfExtension{"py", kPreviewSource},
    KindOfExtension{"rs", kPreviewSource},     KindOfExtension{"go", kPreviewSource},
    KindOfExtension{"ts", kPreviewSource},     KindOfExtension{"rb", kPreviewSource},
    KindOfExtension{"pl", kPreviewSource},
};

}  // namespace

std::string LowerExtension(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  if (name.size() < 3) return {};
  const size_t dot = name.find_last_of('.');
  if (dot == std::string_view::npos || dot == 0) return {};
  return FoldLower(name.substr(dot + 1));
}

int PreviewKindOfName(std::string_view path, bool zipAvailable) {
  const size_t slash = path.find_last_of('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  // A name without an extension (README, Makefile, .bashrc) is read as text.
  const size_t dot = name.find_last_of('.');
  if (name.size() < 3 || dot == std::string_view::npos || dot == 0) return kPreviewText;
  const std::string extension = FoldLower(name.substr(dot + 1));
  if (extension.empty()) return kPreviewNone;
  const auto found = std::find_if(kKinds.begin(), kKinds.end(), [&](const KindOfExtension& k) {
    return k.extension == extension;
  });
  if (found == kKinds.end()) return kPreviewNone;
  if (found->kind == kPreviewZip && !zipAvailable) return kPreviewNone;
  return found->kind;
}

int PreviewKind(const std::string& path, bool zipAvailable) {
  if (path.empty() || PathKind(path) != PATH_FILE) return kPreviewNone;
  return PreviewKindOfName(path, zipAvailable);
}

}  // namespace tf
