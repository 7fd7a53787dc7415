// AttributeFilter: takes files by their read-only, archive, hidden and system bits,
// each required, forbidden or ignored as a "filter_attr" node says.
#pragma once

#include <cstdint>
#include <memory>

#include "scan/file_filter.h"

namespace tf {

class AttributeFilter : public FileFilter {
 public:
  // Rule values: any other value ignores the bit.
  static constexpr int kMustBeSet = 1;
  static constexpr int kMustBeClear = 2;

  static std::unique_ptr<AttributeFilter> Make(DataNode* node);

  FilterKind Kind() const override { return FilterKind::kAttributes; }
  bool Load(DataNode* node) override;
  bool Match(const FileInfo& entry) override;

 private:
  int32_t m_readOnly = 0;
  int32_t m_archive = 0;
  int32_t m_hidden = 0;
  int32_t m_system = 0;
};

}  // namespace tf
