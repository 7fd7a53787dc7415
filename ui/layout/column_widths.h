// Column widths of report-style lists from a width table: positive entries are pixels,
// negative ones percentages of what the pixel columns leave.
#pragma once

#include <vector>

namespace tf {

// Widths for the first `columnCount` columns of a list `clientWidth` wide. The table ends
// at its first 0 (or its end). The rest shared by the percentage entries is the client
// width less `arrowWidth` (the width of a scroll-bar arrow, or 0) less all positive
// entries, and never below 0. Only as many widths as both the table and the list have.
std::vector<int> ComputeColumnWidths(const std::vector<int>& table, int columnCount,
                                     int clientWidth, int arrowWidth);

}  // namespace tf
