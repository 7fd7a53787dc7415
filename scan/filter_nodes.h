// The filter nodes of a search descriptor: their names, the creation of each kind with
// its defaults, and typed access to every setting. All take the filter node itself;
// setters on a null node do nothing and return false, getters return 0.
#pragma once

#include <cstdint>
#include <string>

#include "datatree/data_node.h"
#include "scan/filter_clock.h"

namespace tf {

constexpr const char* kNameFilterNode = "filter_name";
constexpr const char* kSizeFilterNode = "filter_size";
constexpr const char* kTimeFilterNode = "filter_time";
constexpr const char* kAttributeFilterNode = "filter_attr";

// Each creates the node as the last child of `parent` (a detached root when parent is
// null), named `name` or the kind's node name, disabled, with the default settings.
// Null when the node cannot be created.
DataNode* CreateNameFilterNode(DataNode* parent, const char* name = nullptr);
DataNode* CreateSizeFilterNode(DataNode* parent, const char* name = nullptr);
// Both dates default to the moment of creation.
DataNode* CreateTimeFilterNode(DataNode* parent, const FilterClock& clock,
                               const char* name = nullptr);
DataNode* CreateAttributeFilterNode(DataNode* parent, const char* name = nullptr);

// Enabled flag (the node's val), for every kind.
bool SetFilterEnabled(DataNode* node, int enabled);
int GetFilterEnabled(const DataNode* node);

// Name filter: mask texts; an absent text reads as "".
bool SetNameInclude(DataNode* node, const std::string& masks);
bool SetNameExclude(DataNode* node, const std::string& masks);
std::string GetNameInclude(DataNode* node);
std::string GetNameExclude(DataNode* node);

// Size filter: switch 0 at least, 1 at most, 2 between; units 0 KB, 1 MB, 2 GB.
bool SetSizeSwitch(DataNode* node, int32_t value);
bool SetSizeValue1(DataNode* node, int32_t value);
bool SetSizeUnits1(DataNode* node, int32_t value);
bool SetSizeValue2(DataNode* node, int32_t value);
bool SetSizeUnits2(DataNode* node, int32_t value);
int32_t GetSizeSwitch(DataNode* node);
int32_t GetSizeValue1(DataNode* node);
int32_t GetSizeUnits1(DataNode* node);
int32_t GetSizeValue2(DataNode* node);
int32_t GetSizeUnits2(DataNode* node);

// Time filter: mode 0 modified, 1 created, 2 last accessed; switch 0 today, 1 this
// week, 2 this month, 3 the previous N, 4 dates; previous units 0 days, 1 weeks,
// 2 months; date mode 0 after, 1 before, 2 between. Dates are UTC file times.
bool SetTimeMode(DataNode* node, int32_t value);
bool SetTimeSwitch(DataNode* node, int32_t value);
bool SetTimePrevValue(DataNode* node, int32_t value);
bool SetTimePrevUnits(DataNode* node, int32_t value);
bool SetTimeDateMode(DataNode* node, int32_t value);
bool SetTimeDate1(DataNode* node, int64_t fileTime);
bool SetTimeDate2(DataNode* node, int64_t fileTime);
int32_t GetTimeMode(DataNode* node);
int32_t GetTimeSwitch(DataNode* node);
int32_t GetTimePrevValue(DataNode* node);
int32_t GetTimePrevUnits(DataNode* node);
int32_t GetTimeDateMode(DataNode* node);
int64_t GetTimeDate1(DataNode* node);
int64_t GetTimeDate2(DataNode* node);
// One part of a date in local time: 0 year, 1 month, 2 day (other parts: 0).
int32_t GetTimeDate1Part(DataNode* node, int part, const FilterClock& clock);
int32_t GetTimeDate2Part(DataNode* node, int part, const FilterClock& clock);

// Attribute filter rules: 0 any, 1 must be set, 2 must be clear.
bool SetAttrReadOnly(DataNode* node, int32_t rule);
bool SetAttrArchive(DataNode* node, int32_t rule);
bool SetAttrHidden(DataNode* node, int32_t rule);
bool SetAttrSystem(DataNode* node, int32_t rule);
int32_t GetAttrReadOnly(DataNode* node);
int32_t GetAttrArchive(DataNode* node);
int32_t GetAttrHidden(DataNode* node);
int32_t GetAttrSystem(DataNode* node);

}  // namespace tf
