#include "platform/shortcuts.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "platform/path_utils.h"

namespace tf {

bool IsShortcutFile(const std::string& path) {
  struct stat st {};
  return !path.empty() && lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool ResolveShortcut(const std::string& shortcutPath, std::string* out) {
  if (!out) return false;
  if (out != &shortcutPath) out->clear();
  if (!IsShortcutFile(shortcutPath)) return false;
  char* resolved = realpath(shortcutPath.c_str(), nullptr);
  if (!resolved) return false;
  *out = resolved;
  std::free(resolved);
  return true;
}

bool CreateShortcut(const std::string& targetPath, const std::string& shortcutPath,
                    const std::string& /*description*/) {
  if (targetPath.empty() || shortcutPath.empty()) return false;
  std::string target = targetPath;
  if (target[0] != '/') {
    char* cwd = getcwd(nullptr, 0);
    if (!cwd) return false;
    target = JoinPath(targetPath, cwd);
    std::free(cwd);
  }
  return symlink(target.c_str(), shortcutPath.c_str()) == 0;
}

}  // namespace tf
