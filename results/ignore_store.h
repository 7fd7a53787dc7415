// IgnoreStore: the file that keeps the ignore list ($XDG_DATA_HOME/twinfold/ignored). Each
// change reads the file, changes the list and saves it whole through the one atomic save,
// so that the window program and twinfold-cli never undo each other's changes.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "results/ignore_list.h"

namespace tf {

// A list of ten thousand groups of ten long paths is some 6 MiB; a larger file is damage.
constexpr size_t kMaxIgnoreFileBytes = size_t{16} << 20;

class IgnoreStore {
 public:
  enum class State {
    kMissing,   // no file: an empty list
    kRead,      // the file held a list
    kDamaged,   // a regular file that is not a list whole, or is larger than the cap
    kNotAFile,  // a folder, a FIFO, a device or a dangling link holds the name
  };

  explicit IgnoreStore(std::string path, size_t maxBytes = kMaxIgnoreFileBytes)
      : m_path(std::move(path)), m_maxBytes(maxBytes) {}

  const std::string& Path() const { return m_path; }

  // Reads the list into *out, which stays empty unless the state is kRead; *error says
  // what is wrong for kDamaged and kNotAFile. Nothing on disk changes.
  State Read(IgnoreList* out, std::string* error = nullptr) const;

  // Reads the list, lets `change` change it (it answers whether it did) and saves the
  // result, making the folder when missing. A damaged file is first set aside as
  // "ignored.damaged" (".damaged.1", ... when taken; *setAside gets the name) and the
  // change starts from an empty list. True when the file holds the changed list, or when
  // `change` changed nothing. False, with the file as it was and the reason in *error,
  // when a name held by anything but a regular file, a damaged file that cannot be set
  // aside or a failed save stands in the way.
  bool Change(const std::function<bool(IgnoreList&)>& change, std::string* error = nullptr,
              std::string* setAside = nullptr);

 private:
  std::string m_path;
  size_t m_maxBytes;
};

}  // namespace tf
