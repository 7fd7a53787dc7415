// DynamicLibrary: a shared module loaded at run time, and the folder of the running
// program where the program's own modules are looked for first.
#pragma once

#include <string>

namespace tf {

class DynamicLibrary {
 public:
  DynamicLibrary() = default;
  ~DynamicLibrary() { Close(); }
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  // Loads `path`: a name with a '/' is taken as it is, a bare name is searched on the
  // library path. Closes a module held before. True when loaded.
  bool Open(const std::string& path);
  // The address of an exported symbol, or null.
  void* Symbol(const char* name) const;
  void Close();
  bool IsOpen() const { return m_handle != nullptr; }
  // Why the last Open failed; empty after a success.
  const std::string& LastError() const { return m_error; }

 private:
  void* m_handle = nullptr;
  std::string m_error;
};

// The folder of the running executable, without a trailing '/'; empty when unknown.
std::string ExecutableFolder();

}  // namespace tf
