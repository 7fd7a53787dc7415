// DescriptorBuilder: the search descriptor of a twinfold-cli run, built from a saved
// descriptor or the defaults and the command line, as the search window would build it.
#pragma once

#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "datatree/node_ptr.h"

namespace tf {

class DescriptorBuilder {
 public:
  // A new descriptor: "folders" with empty "include" and "exclude", the four filter nodes
  // with their defaults (all off) and "settings" with "symbols" 5: true duplicates.
  static NodePtr NewDescriptor();
  // Reads a saved descriptor (the XML form of a "Descriptor" tree); the nodes a search needs
  // and the file lacks are added with their defaults. Null when the file cannot be read or
  // holds no descriptor, with the reason in *error (when given). Only a regular file of a
  // sane size is read; a FIFO or a device is refused without waiting on it.
  static NodePtr LoadDescriptor(const std::string& fileName, std::string* error = nullptr);

  // Applies the criteria and filters of `options` to `descriptor`.
  static void ApplyCriteria(const CliOptions& options, DataNode* descriptor);
  // Adds the folders of `options` (made absolute) to the include and exclude lists. A folder
  // that does not exist is skipped with a one-line note in `notes`, as are a folder already
  // listed and an exclusion below no listed folder.
  static void ApplyFolders(const CliOptions& options, DataNode* descriptor,
                           std::vector<std::string>* notes);
  // True when at least one include entry names an existing folder now; each one that does
  // not is noted.
  static bool CheckIncludes(DataNode* descriptor, std::vector<std::string>* notes);

  // An absolute, lexically normal path without a trailing '/' (except for "/" itself).
  static std::string AbsoluteFolder(const std::string& path);
};

}  // namespace tf
