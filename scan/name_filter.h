// NameFilter: takes files whose names match the include masks and none of the
// exclude masks of a "filter_name" node.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "scan/file_filter.h"
#include "scan/mask_list.h"

namespace tf {

class NameFilter : public FileFilter {
 public:
  // Longest mask text read from the node; the rest is ignored.
  static constexpr size_t kMaxMaskText = 1023;

  // A loaded filter for `node`, or null for a missing node.
  static std::unique_ptr<NameFilter> Make(DataNode* node);

  FilterKind Kind() const override { return FilterKind::kName; }
  // "include" (absent or empty: "*.*") and "exclude" (absent: none), masks separated
  // by ';' or ','; spaces are dropped. A piece "*.*" or "*" takes every file and
  // ends the include text. An exclude text beginning with ';' excludes nothing.
  bool Load(DataNode* node) override;
  bool MatchName(std::string_view name) override;
  bool Match(const FileInfo& entry) override { return MatchName(entry.name); }

  bool IncludesAll() const { return m_includeAll; }
  bool ExcludesNone() const { return m_excludeNone; }
  const MaskList& IncludeList() const { return m_include; }
  const MaskList& ExcludeList() const { return m_exclude; }

  // The mask text as Load reads it: spaces removed, ',' turned into ';', cut to
  // kMaxMaskText bytes. The editors store masks in this form too.
  static std::string CleanMaskText(std::string_view text);

 private:
  bool m_includeAll = false;
  bool m_excludeNone = false;
  MaskList m_include;
  MaskList m_exclude;
  FoldedName m_name;  // reused for every name, so matching does not allocate
};

}  // namespace tf
