// What the bitmap preview reads of a ".bmp" file's headers, the names of its colour
// depths, and the rule that scales a picture into the preview area.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tf {

struct BitmapHeader {
  int64_t width = 0;
  int64_t height = 0;  // positive also for pictures stored top-down
  int bitsPerPixel = 0;
  // Two colours, black and white: a 1-bit picture whose palette holds exactly those (or
  // none can be read). A 1-bit picture may have any two colours.
  bool blackAndWhite = true;
};

// Reads the 14-byte file header ("BM") and the picture header after it (the 40-byte one
// and its longer successors, or the old 12-byte one). False when `head` is not a bitmap.
bool ReadBitmapHeader(std::string_view head, BitmapHeader* out);

// "BW" ("2 Colors" when not `blackAndWhite`), "16 Colors", "256 Colors", "16-bit, Hi
// Color", "24-bit", "32-bit, True Color"; empty for other depths.
std::string BitmapDepthName(int bitsPerPixel, bool blackAndWhite = true);

struct DrawSize {
  int64_t width = 0;
  int64_t height = 0;
};

// The size a picture is drawn at in an area: its own when it fits, else scaled by the
// smaller of the two ratios area/picture so that it fills the area in one dimension.
DrawSize ScaledBitmapSize(int64_t pictureWidth, int64_t pictureHeight, int64_t areaWidth,
                          int64_t areaHeight);

}  // namespace tf
