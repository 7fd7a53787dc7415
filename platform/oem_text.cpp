#include "platform/oem_text.h"

#include <glib.h>

namespace tf {

std::string OemToUtf8(std::string_view bytes) {
  if (g_utf8_validate(bytes.data(), static_cast<gssize>(bytes.size()), nullptr))
    return std::string(bytes);
  gsize written = 0;
  gchar* converted = g_convert(bytes.data(), static_cast<gssize>(bytes.size()), "UTF-8", "CP437",
                               nullptr, &written, nullptr);
  if (!converted) {
    // Without the converter every byte stays readable as its Latin-1 letter.
    gchar* latin = g_convert(bytes.data(), static_cast<gssize>(bytes.size()), "UTF-8", "ISO-8859-1",
                             nullptr, &written, nullptr);
    std::string out = latin ? std::string(latin, written) : std::string(bytes);
    g_free(latin);
    return out;
  }
  std::string out(converted, written);
  g_free(converted);
  return out;
}

}  // namespace tf
