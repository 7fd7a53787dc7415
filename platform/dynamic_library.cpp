#include "platform/dynamic_library.h"

#include <dlfcn.h>
#include <unistd.h>

#include <vector>

namespace tf {

bool DynamicLibrary::Open(const std::string& path) {
  Close();
  m_error.clear();
  if (path.empty()) {
    m_error = "empty module path";
    return false;
  }
  // RTLD_LOCAL keeps the module's symbols from leaking into later lookups.
  m_handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!m_handle) {
    const char* why = ::dlerror();
    m_error = why ? why : "cannot load the module";
  }
  return m_handle != nullptr;
}

void* DynamicLibrary::Symbol(const char* name) const {
  if (!m_handle || !name) return nullptr;
  return ::dlsym(m_handle, name);
}

void DynamicLibrary::Close() {
  if (m_handle) ::dlclose(m_handle);
  m_handle = nullptr;
}

std::string ExecutableFolder() {
  std::vector<char> buffer(4096);
  for (;;) {
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return {};
    if (static_cast<size_t>(n) < buffer.size()) {
      std::string path(buffer.data(), static_cast<size_t>(n));
      auto slash = path.rfind('/');
      if (slash == std::string::npos) return {};
      return slash == 0 ? std::string("/") : path.substr(0, slash);
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace tf
