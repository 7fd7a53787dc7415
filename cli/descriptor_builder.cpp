#include "cli/descriptor_builder.h"

#include "datatree/node_xml.h"
#include "duplicates/duplicate_criteria.h"
#include "platform/node_files.h"
#include "platform/path_utils.h"
#include "scan/filter_nodes.h"
#include "scan/folder_list.h"
#include "search/local_filter_clock.h"
#include "search/search_descriptor.h"

namespace tf {
namespace {

// The child named `name`, created (as the last child) when missing.
DataNode* child(DataNode* parent, const char* name, bool* created = nullptr) {
  DataNode* node = FindChild(parent, name);
  if (created) *created = node == nullptr;
  return node ? node : CreateNode(parent, name, ATTACH_LAST_CHILD);
}

// The filter nodes with the defaults the filter editors start from; all disabled.
void addMissingFilters(DataNode* filters) {
  if (!FindChild(filters, kNameFilterNode)) CreateNameFilterNode(filters);
  if (!FindChild(filters, kSizeFilterNode)) CreateSizeFilterNode(filters);
  if (!FindChild(filters, kTimeFilterNode)) CreateTimeFilterNode(filters, LocalFilterClock());
  if (!FindChild(filters, kAttributeFilterNode)) CreateAttributeFilterNode(filters);
}

void completeDescriptor(DataNode* root) {
  DataNode* folders = child(root, "folders");
  if (folders) {
    child(folders, "include");
    child(folders, "exclude");
  }
  if (DataNode* filters = child(root, "filters")) addMissingFilters(filters);
  bool created = false;
  DataNode* settings = child(root, "settings", &created);
  if (settings && created) WriteCriteria(DuplicateCriteria{}, settings);
}

DataNode* findPath(DataNode* root, const char* first, const char* second) {
  return FindChild(FindChild(root, first), second);
}

void applySettings(const CliOptions& o, DataNode* settings) {
  if (!o.preset && !o.symbols && !o.name && !o.time && !o.size && !o.similarity &&
      !o.timeTolerance && !o.foldCase && !o.normalize && !o.acrossRoots && !o.withProtected)
    return;
  DuplicateCriteria criteria = ReadCriteria(settings).value_or(DuplicateCriteria{});
  if (o.preset) criteria = o.preset->AppliedTo(criteria);
  // As on the criteria page: choosing N switches the names to "first N symbols".
  if (o.symbols) criteria = criteria.WithSymbols(*o.symbols);
  if (o.similarity) criteria = criteria.WithSimilarity(*o.similarity);
  if (o.name) criteria.name = *o.name;
  if (o.time) criteria.sameTime = *o.time;
  if (o.size) criteria.sameSize = *o.size;
  if (o.timeTolerance) criteria.timeTolerance = *o.timeTolerance;
  criteria.foldCase = criteria.foldCase || o.foldCase;
  criteria.normalize = criteria.normalize || o.normalize;
  criteria.acrossRoots = criteria.acrossRoots || o.acrossRoots;
  criteria.withProtected = criteria.withProtected || o.withProtected;
  WriteCriteria(criteria, settings);
}

void applySizeFilter(const CliOptions& o, DataNode* node) {
  if (!node || (!o.minSize && !o.maxSize)) return;
  SetFilterEnabled(node, 1);
  const SizeBound first = o.minSize ? *o.minSize : *o.maxSize;
  SetSizeSwitch(node, o.minSize && o.maxSize ? 2 : o.minSize ? 0 : 1);
  SetSizeValue1(node, first.value);
  SetSizeUnits1(node, first.units);
  if (o.minSize && o.maxSize) {
    SetSizeValue2(node, o.maxSize->value);
    SetSizeUnits2(node, o.maxSize->units);
  }
}

void applyTimeFilter(const CliOptions& o, DataNode* node) {
  if (!node) return;
  if (o.timeOf) SetTimeMode(node, *o.timeOf);
  if (!o.timeFilter) return;
  const TimeChoice& t = *o.timeFilter;
  SetFilterEnabled(node, 1);
  SetTimeSwitch(node, t.choice);
  if (t.choice == 3) {
    SetTimePrevValue(node, t.prevValue);
    SetTimePrevUnits(node, t.prevUnits);
  } else if (t.choice == 4) {
    SetTimeDateMode(node, t.dateMode);
    SetTimeDate1(node, t.date1);
    SetTimeDate2(node, t.date2);
  }
}

void applyFilters(const CliOptions& o, DataNode* filters) {
  if (DataNode* name = FindChild(filters, kNameFilterNode);
      name && (o.includeMasks || o.excludeMasks)) {
    SetFilterEnabled(name, 1);
    if (o.includeMasks) SetNameInclude(name, *o.includeMasks);
    if (o.excludeMasks) SetNameExclude(name, *o.excludeMasks);
  }
  applySizeFilter(o, FindChild(filters, kSizeFilterNode));
  applyTimeFilter(o, FindChild(filters, kTimeFilterNode));
  bool (*const setters[4])(DataNode*, int32_t) = {SetAttrReadOnly, SetAttrArchive, SetAttrHidden,
                                                  SetAttrSystem};
  DataNode* attr = FindChild(filters, kAttributeFilterNode);
  for (int i = 0; i < 4 && attr; ++i) {
    if (!o.attrRules[i]) continue;
    SetFilterEnabled(attr, 1);
    setters[i](attr, *o.attrRules[i]);
  }
}

}  // namespace

NodePtr DescriptorBuilder::NewDescriptor() {
  SearchDescriptor descriptor;
  if (!descriptor.Create(LocalFilterClock())) return nullptr;
  return NodePtr(CloneNode(descriptor.Root(), nullptr, 1));
}

NodePtr DescriptorBuilder::LoadDescriptor(const std::string& fileName, std::string* error) {
  NodePtr root(LoadTreeXmlFile(fileName, error));
  if (!root) return nullptr;
  if (std::string(root->Name()) != "Descriptor") {
    if (error) *error = "holds no search descriptor";
    return nullptr;
  }
  completeDescriptor(root.get());
  return root;
}

void DescriptorBuilder::ApplyCriteria(const CliOptions& options, DataNode* descriptor) {
  if (DataNode* settings = FindChild(descriptor, "settings")) applySettings(options, settings);
  if (DataNode* filters = FindChild(descriptor, "filters")) applyFilters(options, filters);
}

void DescriptorBuilder::ApplyFolders(const CliOptions& options, DataNode* descriptor,
                                     std::vector<std::string>* notes) {
  for (const std::string& folder : options.folders) {
    const std::string path = AbsoluteFolder(folder);
    if (PathKind(path) != PATH_FOLDER) {
      notes->push_back(folder + ": no such folder; skipped");
    } else if (AddInclude(descriptor, path) == kFolderRefused) {
      notes->push_back(folder + ": this folder or its parent is already in the scan list");
    }
  }
  const std::vector<std::string> includes = IncludePaths(descriptor);
  for (const std::string& folder : options.excludes) {
    const std::string path = AbsoluteFolder(folder);
    bool below = false;
    for (const std::string& include : includes) below = below || IsBelow(path, include);
    if (!below)
      notes->push_back(folder + ": excluded folder lies below no scanned folder");
    else
      AddExclude(descriptor, path);
  }
  for (const std::string& folder : options.protects) {
    const std::string path = AbsoluteFolder(folder);
    if (!ProtectFolder(descriptor, path) &&
        ProtectedFolderHolding(ProtectedFolders(descriptor), path).empty())
      notes->push_back(folder + ": protected folder lies in no scanned folder");
  }
}

bool DescriptorBuilder::CheckIncludes(DataNode* descriptor, std::vector<std::string>* notes) {
  bool usable = false;
  DataNode* include = findPath(descriptor, "folders", "include");
  for (DataNode* entry = include ? include->FirstChild() : nullptr; entry; entry = entry->Next()) {
    if (PathKind(entry->Name()) == PATH_FOLDER)
      usable = true;
    else
      notes->push_back(std::string(entry->Name()) + ": no such folder; skipped");
  }
  return usable;
}

std::string DescriptorBuilder::AbsoluteFolder(const std::string& path) {
  std::string text = LexicallyNormal(AbsolutePath(path));
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

}  // namespace tf
