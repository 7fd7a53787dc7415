#include "results/file_properties.h"

#include <array>
#include <cinttypes>
#include <cstdio>
#include <string_view>
#include <vector>

#include "platform/display_format.h"
#include "platform/file_facts.h"
#include "platform/mime_type.h"
#include "platform/path_utils.h"
#include "platform/stored_file.h"
#include "results/preview_kind.h"

namespace tf {
namespace {

// How much of the file the type guess may look at.
constexpr size_t kTypeSniffBytes = 4096;
// A time stamp text is never longer than this.
constexpr size_t kMaxStampText = 512;

constexpr std::array<std::string_view, 18> kSummaryNames = {
    "Title",      "Subject",         "Author",     "Keywords",     "Comments", "Template",
    "LastAuthor", "Revision Number", "Edit Time",  "Last printed", "Created",  "Last Saved",
    "Page Count", "Word Count",      "Char Count", "Thumbnail",    "AppName",  "Doc Security"};
constexpr int kFirstSummaryId = 2;
constexpr int kEditTimeId = 10;

DataNode* addFact(DataNode* root, const char* label, const std::string& value) {
  DataNode* child = CreateNode(root, label, ATTACH_LAST_CHILD);
  if (child) SetDesc(child, value);
  return child;
}

// Date and time with seconds, or "[unknown] " when the time is not known.
std::string dateAndTime(int64_t fileTime) {
  std::string date;
  std::string time;
  if (!FormatDate(fileTime, &date) || !FormatTime(fileTime, &time)) return "[unknown] ";
  return date + " " + time + " ";
}

std::string typeName(const std::string& path) {
  std::string head;
  ReadFileHead(path, kTypeSniffBytes, &head);
  std::string type = MimeTypeDescription(path, head);
  if (type.empty()) type = LowerExtension(path);
  return type.empty() ? "?" : type;
}

void addSummary(DataNode* root, const std::string& path) {
  std::vector<SummaryProperty> properties;
  if (!ReadDocumentSummary(path, &properties)) return;
  DataNode* heading = CreateNode(root, kSummaryHeading, ATTACH_LAST_CHILD);
  if (!heading) return;
  for (const SummaryProperty& property : properties) {
    const std::string name = SummaryPropertyName(property.id);
    const std::string text = SummaryPropertyText(property);
    if (!name.empty() && !text.empty()) heading->attrs.Set(name, AttrValue::FromString(text), 0);
  }
  if (heading->attrs.Count() == 0) DeleteNode(heading);
}

}  // namespace

std::string SummaryPropertyName(int id) {
  const int index = id - kFirstSummaryId;
  if (index < 0 || index >= static_cast<int>(kSummaryNames.size())) return {};
  return std::string(kSummaryNames[static_cast<size_t>(index)]);
}

std::string SummaryPropertyText(const SummaryProperty& property) {
  char buffer[64];
  switch (property.kind) {
    case SummaryProperty::kInteger:
      std::snprintf(buffer, sizeof buffer, "%" PRId64, property.integer);
      return buffer;
    case SummaryProperty::kReal:
      std::snprintf(buffer, sizeof buffer, "%.2f", property.real);
      return buffer;
    case SummaryProperty::kText:
      return property.text;
    case SummaryProperty::kBoolean:
      return property.boolean ? "True/Yes" : "False/No";
    case SummaryProperty::kFileTime: {
      if (property.id == kEditTimeId) {
        // Time spent editing: hours, minutes and seconds, not a date.
        const int64_t seconds = property.fileTime / 10000000;
        std::snprintf(buffer, sizeof buffer, "%" PRId64 ":%02d:%02d", seconds / 3600,
                      static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
        return buffer;
      }
      std::string text;
      if (!FormatDateTimeIso(property.fileTime, &text, false, 0)) return {};
      if (text.size() > kMaxStampText) text.resize(kMaxStampText);
      return text;
    }
    case SummaryProperty::kOther:
      break;
  }
  return {};
}

int FillFileProperties(DataNode* root) {
  if (!root) return 0;
  const std::string path = root->Name();
  FileFacts facts;
  if (!ReadFileFacts(path, &facts)) return 0;

  std::string folder;
  std::string name;
  SplitPath(path, &folder, &name);
  addFact(root, "Name", name);
  addFact(root, "Location", folder);
  addFact(root, "Type", typeName(path));
  // The readable size first, then the exact count of bytes that its label promises.
  std::string number;
  std::string unit;
  FormatSize(facts.size, &number, &unit);
  addFact(root, "Size", number + " " + unit + " ");
  addFact(root, "Size (bytes)", std::to_string(facts.size));
  addFact(root, "Last modified", dateAndTime(facts.modified));
  addFact(root, "Created", dateAndTime(facts.created));
  std::string accessed;
  FormatDate(facts.accessed, &accessed);
  addFact(root, "Last accessed", accessed);
  addFact(root, "Attributes", FormatAttributes(facts.attributes));
  addSummary(root, path);
  return 1;
}

}  // namespace tf
