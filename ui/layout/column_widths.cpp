#include "ui/layout/column_widths.h"

#include <algorithm>

namespace tf {

std::vector<int> ComputeColumnWidths(const std::vector<int>& table, int columnCount,
                                     int clientWidth, int arrowWidth) {
  const auto end = std::find(table.begin(), table.end(), 0);
  long long fixed = 0;
  for (auto it = table.begin(); it != end; ++it)
    if (*it > 0) fixed += *it;
  const long long rest = std::max(0LL, clientWidth - arrowWidth - fixed);

  std::vector<int> widths;
  for (auto it = table.begin(); it != end && static_cast<int>(widths.size()) < columnCount; ++it)
    widths.push_back(*it > 0 ? *it : static_cast<int>(rest * -static_cast<long long>(*it) / 100));
  return widths;
}

}  // namespace tf
