#include "platform/mime_type.h"

#include <gio/gio.h>

namespace tf {
namespace {

// Frees a GLib string on every way out.
struct GFreeGuard {
  gchar* text;
  ~GFreeGuard() { g_free(text); }
};

}  // namespace

std::string MimeTypeDescription(const std::string& path, std::string_view head) {
  if (path.empty()) return {};
  gboolean uncertain = FALSE;
  GFreeGuard type{g_content_type_guess(
      path.c_str(), head.empty() ? nullptr : reinterpret_cast<const guchar*>(head.data()),
      head.size(), &uncertain)};
  // The database's answer for "nothing known" is a generic type; the caller then falls
  // back on the extension, which tells the user more.
  if (!type.text || g_content_type_is_unknown(type.text)) return {};
  GFreeGuard description{g_content_type_get_description(type.text)};
  return description.text ? std::string(description.text) : std::string();
}

}  // namespace tf
