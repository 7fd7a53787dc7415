#include "scan/collection_files.h"

#include <algorithm>
#include <set>

#include "base/text_fold.h"
#include "platform/path_utils.h"
#include "platform/stored_file.h"

namespace tf {

namespace {

bool isCollectionName(const std::string& fileName) {
  return fileName.size() > 4 && FoldUpper(fileName.substr(fileName.size() - 4)) == ".MCF";
}

std::vector<CollectionFile> filesOf(const std::string& folder) {
  std::vector<CollectionFile> out;
  std::vector<std::string> names;
  ListFolderNames(folder, &names);
  for (const std::string& fileName : names) {
    if (!isCollectionName(fileName)) continue;
    std::string path = JoinPath(fileName, folder);
    if (PathKind(path) != PATH_FILE) continue;
    out.push_back({std::move(path), fileName.substr(0, fileName.size() - 4)});
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
