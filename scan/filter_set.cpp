#include "scan/filter_set.h"

#include "scan/attribute_filter.h"
#include "scan/name_filter.h"
#include "scan/size_filter.h"
#include "scan/time_filter.h"

namespace tf {

int FilterSet::LoadFrom(DataNode* filtersNode, const FilterClock& clock) {
  Clear();
  auto keep = [this](std::unique_ptr<FileFilter> filter) {
    if (filter && filter->IsActive()) Add(std::move(filter));
  };
  keep(NameFilter::Make(FindChild(filtersNode, "filter_name")));
  keep(SizeFilter::Make(FindChild(filtersNode, "filter_size")));
  keep(TimeFilter::Make(FindChild(filtersNode, "filter_time"), clock));
  keep(AttributeFilter::Make(FindChild(filtersNode, "filter_attr")));
  return Count();
}

bool FilterSet::Add(std::unique_ptr<FileFilter> filter) {
  if (!filter || Count() >= kMaxFilters) return false;
  m_filters.push_back(std::move(filter));
  return true;
}

void FilterSet::Clear() {
  m_filters.clear();
}

bool FilterSet::Match(const FileInfo& entry) {
  for (auto& f : m_filters)
    if (!f->Match(entry)) return false;
  return true;
}

bool FilterSet::MatchName(std::string_view name) {
  for (auto& f : m_filters)
    if (f->Kind() == FilterKind::kName && !f->MatchName(name)) return false;
  return true;
}

bool FilterSet::JudgesNamesOnly() const {
  for (const auto& f : m_filters)
    if (f->Kind() != FilterKind::kName) return false;
  return true;
}

bool FilterSet::MatchInfo(const FileInfo& entry) {
  for (auto& f : m_filters)
    if (f->Kind() != FilterKind::kName && !f->Match(entry)) return false;
  return true;
}

}  // namespace tf
