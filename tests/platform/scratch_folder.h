// ScratchFolder: a temporary folder under /tmp (or another parent) for one test, removed
// with everything in it when the test ends.
#pragma once

#include <string>

namespace tf::testing {

class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& parent = "/tmp");
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return m_path; }
  // path() + "/" + name
  std::string operator/(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

// Writes `bytes` to `path` (replacing it); false on any failure.
bool WriteFile(const std::string& path, const std::string& bytes);
// The whole content of `path`, or "<missing>".
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);

}  // namespace tf::testing
