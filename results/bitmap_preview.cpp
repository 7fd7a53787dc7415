#include "results/bitmap_preview.h"

#include <cstdlib>

namespace tf {
namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr uint32_t kCoreHeaderBytes = 12;

uint32_t le16(std::string_view s, size_t at) {
  return static_cast<uint32_t>(static_cast<unsigned char>(s[at]) |
                               static_cast<unsigned char>(s[at + 1]) << 8);
}

uint32_t le32(std::string_view s, size_t at) {
  return le16(s, at) | le16(s, at + 2) << 16;
}

}  // namespace

bool ReadBitmapHeader(std::string_view head, BitmapHeader* out) {
  if (!out || head.size() < kFileHeaderBytes + 4 || head.substr(0, 2) != "BM") return false;
  const uint32_t infoSize = le32(head, kFileHeaderBytes);
  BitmapHeader header;
  if (infoSize == kCoreHeaderBytes) {
    if (head.size() < kFileHeaderBytes + kCoreHeaderBytes) return false;
    header.width = le16(head, 18);
    header.height = le16(head, 20);
    header.bitsPerPixel = static_cast<int>(le16(head, 24));
  } else if (infoSize >= 40) {
    if (head.size() < kFileHeaderBytes + 40) return false;
    header.width = static_cast<int32_t>(le32(head, 18));
    header.height = std::llabs(static_cast<int32_t>(le32(head, 22)));
    header.bitsPerPixel = static_cast<int>(le16(head, 28));
  } else {
    return false;
  }
  if (header.width <= 0 || header.height <= 0) return false;
  if (header.bitsPerPixel == 1) {
    // The two palette entries follow the picture header: blue, green, red (and a spare
    // byte, but for the old header).
    const size_t entry = infoSize == kCoreHeaderBytes ? 3 : 4;
    const size_t at = kFileHeaderBytes + infoSize;
    if (head.size() >= at + 2 * entry) {
      const auto rgb = [&](size_t i) {
        return le16(head, at + i * entry) |
               static_cast<uint32_t>(static_cast<unsigned char>(head[at + i * entry + 2])) << 16;
      };
      const uint32_t a = rgb(0), b = rgb(1);
      header.blackAndWhite = (a == 0 && b == 0xFFFFFF) || (a == 0xFFFFFF && b == 0);
    }
  }
  *out = header;
  return true;
}

std::string BitmapDepthName(int bitsPerPixel, bool blackAndWhite) {
  switch (bitsPerPixel) {
    case 1:
      return blackAndWhite ? "BW" : "2 Colors";
    case 4:
      return "16 Colors";
    case 8:
      return "256 Colors";
    case 16:
      return "16-bit, Hi Color";
    case 24:
      return "24-bit";
    case 32:
      return "32-bit, True Color";
    default:
      return {};
  }
}

DrawSize ScaledBitmapSize(int64_t pictureWidth, int64_t pictureHeight, int64_t areaWidth,
                          int64_t areaHeight) {
  if (pictureWidth <= 0 || pictureHeight <= 0) return {};
  if (pictureWidth <= areaWidth && pictureHeight <= areaHeight)
    return {pictureWidth, pictureHeight};
  const double w = static_cast<double>(areaWidth) / static_cast<double>(pictureWidth);
  const double h = static_cast<double>(areaHeight) / static_cast<double>(pictureHeight);
  if (w > h) return {static_cast<int64_t>(static_cast<double>(pictureWidth) * h), areaHeight};
  return {areaWidth, static_cast<int64_t>(static_cast<double>(pictureHeight) * w)};
}

}  // namespace tf
