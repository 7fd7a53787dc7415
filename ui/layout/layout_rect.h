// LayoutRect: a rectangle in a container's client coordinates, kept as edges the way
// the window library's layout arithmetic computes them (right and bottom exclusive).
#pragma once

namespace tf {

struct LayoutRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool operator==(const LayoutRect&) const = default;
};

}  // namespace tf
