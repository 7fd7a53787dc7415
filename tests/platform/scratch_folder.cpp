#include "tests/platform/scratch_folder.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace tf::testing {

ScratchFolder::ScratchFolder(const std::string& parent) {
  std::string pattern = parent + "/tf-platform-XXXXXX";
  if (mkdtemp(pattern.data())) m_path = pattern;
}

ScratchFolder::~ScratchFolder() {
  if (m_path.empty()) return;
  std::error_code ignored;
  // Folders a test made unreadable are opened up again first.
  for (auto it = std::filesystem::recursive_directory_iterator(m_path, ignored);
       !ignored && it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
    if (it->is_directory(ignored) && !it->is_symlink(ignored)) chmod(it->path().c_str(), 0700);
  std::filesystem::remove_all(m_path, ignored);
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Exists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

}  // namespace tf::testing
