// The mask-collection files that the "&Load masks" menu offers: every ".mcf" file of
// the collection folders, one menu command each.
#pragma once

#include <string>
#include <vector>

namespace tf {

// Command numbers of the menu entries: kFirstLoadMasksCommand + index in the list.
constexpr int kFirstLoadMasksCommand = 40000;
constexpr int kMaxCollectionFiles = 100;

struct CollectionFile {
  std::string path;
  std::string name;  // the file name without ".mcf", as the menu shows it
};

// The ".mcf" files (the extension in any case) of `folders`, each folder sorted by
// name ignoring case; a name found in an earlier folder hides the same name in later
// ones (the user's folder comes before the installed one). At most
// kMaxCollectionFiles; folders that are missing or unreadable give nothing. An empty
// result means the menu item is left out.
std::vector<CollectionFile> ListCollectionFiles(const std::vector<std::string>& folders);

}  // namespace tf
