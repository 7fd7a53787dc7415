// SizeFilter: takes files whose size lies between two inclusive bounds read from a
// "filter_size" node (at least, at most or between, in KB, MB or GB).
#pragma once

#include <cstdint>
#include <memory>

#include "scan/file_filter.h"

namespace tf {

class SizeFilter : public FileFilter {
 public:
  static std::unique_ptr<SizeFilter> Make(DataNode* node);

  // Bytes of `value` in `unit` (0 KB, 1 MB, 2 GB; any other unit counts as KB).
  static int64_t Bytes(int32_t value, int32_t unit);

  FilterKind Kind() const override { return FilterKind::kSize; }
  bool Load(DataNode* node) override;
  bool Match(const FileInfo& entry) override;

  int64_t Lower() const { return m_lower; }
  int64_t Upper() const { return m_upper; }

 private:
  int64_t m_lower = 0;
  int64_t m_upper = INT64_MAX;
};

}  // namespace tf
