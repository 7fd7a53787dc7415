#include "scan/collection_files.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "base/text_fold.h"

namespace tf {

namespace {

namespace fs = std::filesystem;

bool isCollectionName(const std::string& fileName) {
  return fileName.size() > 4 && FoldUpper(fileName.substr(fileName.size() - 4)) == ".MCF";
}

std::vector<CollectionFile> filesOf(const std::string& folder) {
  std::vector<CollectionFile> out;
  std::error_code ec;
  fs::directory_iterator it(folder, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    const std::string fileName = it->path().filename().string();
    std::error_code typeError;
    if (!isCollectionName(fileName) || !it->is_regular_file(typeError)) continue;
    out.push_back({it->path().string(), fileName.substr(0, fileName.size() - 4)});
  }
  std::sort(out.begin(), out.end(), [](const CollectionFile& a, const CollectionFile& b) {
    const int c = CompareIgnoringCase(a.name, b.name);
    return c != 0 ? c < 0 : a.name < b.name;
  });
  return out;
}

}  // namespace

std::vector<CollectionFile> ListCollectionFiles(const std::vector<std::string>& folders) {
  std::vector<CollectionFile> out;
  std::set<std::string> seen;
  for (const std::string& folder : folders) {
    if (folder.empty()) continue;
    for (CollectionFile& f : filesOf(folder)) {
      if (static_cast<int>(out.size()) == kMaxCollectionFiles) return out;
      if (seen.insert(f.name).second) out.push_back(std::move(f));
    }
  }
  return out;
}

}  // namespace tf
