#include "scan/filter_nodes.h"

namespace tf {

namespace {

bool setInt(DataNode* node, const char* attr, int32_t value) {
  return node && node->attrs.Set(attr, AttrValue::FromInt(value), 1);
}

bool setInt64(DataNode* node, const char* attr, int64_t value) {
  return node && node->attrs.Set(attr, AttrValue::FromInt64(value), 1);
}

bool setText(DataNode* node, const char* attr, const std::string& value) {
  return node && node->attrs.Set(attr, AttrValue::FromString(value), 1);
}

int32_t getInt(DataNode* node, const char* attr) {
  return node ? node->attrs.ValueOf(attr).AsInt() : 0;
}

int64_t getInt64(DataNode* node, const char* attr) {
  return node ? node->attrs.ValueOf(attr).AsInt64() : 0;
}

std::string getText(DataNode* node, const char* attr) {
  const char* text = node ? node->attrs.ValueOf(attr).AsString() : nullptr;
  return text ? text : "";
}

DataNode* createFilterNode(DataNode* parent, const char* name, const char* defaultName) {
  DataNode* node =
      CreateNode(parent, name ? name : defaultName, parent ? ATTACH_LAST_CHILD : ATTACH_ROOT);
  if (node) node->val = 0;
  return node;
}

int32_t datePart(int64_t fileTime, int part, const FilterClock& clock) {
  const LocalTime t = clock.ToLocal(fileTime);
  switch (part) {
    case 0:
      return t.year;
    case 1:
      return t.month;
    case 2:
      return t.day;
    default:
      return 0;
  }
}

}  // namespace

DataNode* CreateNameFilterNode(DataNode* parent, const char* name) {
  DataNode* node = createFilterNode(parent, name, kNameFilterNode);
  setText(node, "include", "*.*");
  return node;
}

DataNode* CreateSizeFilterNode(DataNode* parent, const char* name) {
  DataNode* node = createFilterNode(parent, name, kSizeFilterNode);
  setInt(node, "switch", 0);
  setInt(node, "value1", 1);
  setInt(node, "units1", 1);
  setInt(node, "value2", 2);
  setInt(node, "units2", 1);
  return node;
}

DataNode* CreateTimeFilterNode(DataNode* parent, const FilterClock& clock, const char* name) {
  DataNode* node = createFilterNode(parent, name, kTimeFilterNode);
  const int64_t now = clock.NowUtc();
  setInt(node, "mode", 0);
  setInt(node, "switch", 0);
  setInt(node, "prev_value", 1);
  setInt(node, "prev_units", 0);
  setInt(node, "date_mode", 1);
  setInt64(node, "date_1", now);
  setInt64(node, "date_2", now);
  return node;
}

DataNode* CreateAttributeFilterNode(DataNode* parent, const char* name) {
  return createFilterNode(parent, name, kAttributeFilterNode);
}

bool SetFilterEnabled(DataNode* node, int enabled) {
  if (!node) return false;
  node->val = enabled;
  return true;
}
int GetFilterEnabled(const DataNode* node) {
  return node ? static_cast<int>(node->val) : 0;
}

bool SetNameInclude(DataNode* node, const std::string& m) {
  return setText(node, "include", m);
}
bool SetNameExclude(DataNode* node, const std::string& m) {
  return setText(node, "exclude", m);
}
std::string GetNameInclude(DataNode* node) {
  return getText(node, "include");
}
std::string GetNameExclude(DataNode* node) {
  return getText(node, "exclude");
}

bool SetSizeSwitch(DataNode* node, int32_t v) {
  return setInt(node, "switch", v);
}
bool SetSizeValue1(DataNode* node, int32_t v) {
  return setInt(node, "value1", v);
}
bool SetSizeUnits1(DataNode* node, int32_t v) {
  return setInt(node, "units1", v);
}
bool SetSizeValue2(DataNode* node, int32_t v) {
  return setInt(node, "value2", v);
}
bool SetSizeUnits2(DataNode* node, int32_t v) {
  return setInt(node, "units2", v);
}
int32_t GetSizeSwitch(DataNode* node) {
  return getInt(node, "switch");
}
int32_t GetSizeValue1(DataNode* node) {
  return getInt(node, "value1");
}
int32_t GetSizeUnits1(DataNode* node) {
  return getInt(node, "units1");
}
int32_t GetSizeValue2(DataNode* node) {
  return getInt(node, "value2");
}
int32_t GetSizeUnits2(DataNode* node) {
  return getInt(node, "units2");
}

bool SetTimeMode(DataNode* node, int32_t v) {
  return setInt(node, "mode", v);
}
bool SetTimeSwitch(DataNode* node, int32_t v) {
  return setInt(node, "switch", v);
}
bool SetTimePrevValue(DataNode* node, int32_t v) {
  return setInt(node, "prev_value", v);
}
bool SetTimePrevUnits(DataNode* node, int32_t v) {
  return setInt(node, "prev_units", v);
}
bool SetTimeDateMode(DataNode* node, int32_t v) {
  return setInt(node, "date_mode", v);
}
bool SetTimeDate1(DataNode* node, int64_t t) {
  return setInt64(node, "date_1", t);
}
bool SetTimeDate2(DataNode* node, int64_t t) {
  return setInt64(node, "date_2", t);
}
int32_t GetTimeMode(DataNode* node) {
  return getInt(node, "mode");
}
int32_t GetTimeSwitch(DataNode* node) {
  return getInt(node, "switch");
}
int32_t GetTimePrevValue(DataNode* node) {
  return getInt(node, "prev_value");
}
int32_t GetTimePrevUnits(DataNode* node) {
  return getInt(node, "prev_units");
}
int32_t GetTimeDateMode(DataNode* node) {
  return getInt(node, "date_mode");
}
int64_t GetTimeDate1(DataNode* node) {
  return getInt64(node, "date_1");
}
int64_t GetTimeDate2(DataNode* node) {
  return getInt64(node, "date_2");
}
int32_t GetTimeDate1Part(DataNode* node, int part, const FilterClock& clock) {
  return node ? datePart(GetTimeDate1(node), part, clock) : 0;
}
int32_t GetTimeDate2Part(DataNode* node, int part, const FilterClock& clock) {
  return node ? datePart(GetTimeDate2(node), part, clock) : 0;
}

bool SetAttrReadOnly(DataNode* node, int32_t r) {
  return setInt(node, "readonly", r);
}
bool SetAttrArchive(DataNode* node, int32_t r) {
  return setInt(node, "archive", r);
}
bool SetAttrHidden(DataNode* node, int32_t r) {
  return setInt(node, "hidden", r);
}
bool SetAttrSystem(DataNode* node, int32_t r) {
  return setInt(node, "system", r);
}
int32_t GetAttrReadOnly(DataNode* node) {
  return getInt(node, "readonly");
}
int32_t GetAttrArchive(DataNode* node) {
  return getInt(node, "archive");
}
int32_t GetAttrHidden(DataNode* node) {
  return getInt(node, "hidden");
}
int32_t GetAttrSystem(DataNode* node) {
  return getInt(node, "system");
}

}  // namespace tf
