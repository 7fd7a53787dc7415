#include "platform/standard_paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace tf {
namespace {

// An XDG variable counts only when set to an absolute path; otherwise the default applies.
std::string absoluteEnv(const char* name) {
  const char* v = std::getenv(name);
  if (v && v[0] == '/') return v;
  return {};
}

std::string withoutTrailingSlash(std::string s) {
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

bool isRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The installation prefix: the parent of the executable's folder (PREFIX/bin/twinfold).
std::string installPrefix() {
  std::string folder = ProgramFolder();
  size_t slash = folder.rfind('/');
  if (slash == std::string::npos || slash == 0) return "";
  return folder.substr(0, slash);
}

// The home folder: $HOME when it is absolute, else the password database's, else "/".
std::string homeFolder() {
  std::string home = absoluteEnv("HOME");
  if (!home.empty()) return withoutTrailingSlash(home);
  struct passwd pw {};
  struct passwd* found = nullptr;
  std::string buf(16384, '\0');
  if (getpwuid_r(getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found && found->pw_dir &&
      found->pw_dir[0] == '/')
    return withoutTrailingSlash(found->pw_dir);
  return "/";
}

// An XDG base folder: the variable when it holds an absolute path, else `below` the home.
std::string xdgFolder(const char* variable, const char* below) {
  std::string v = absoluteEnv(variable);
  if (!v.empty()) return withoutTrailingSlash(v);
  std::string home = homeFolder();
  return (home == "/" ? "" : home) + below;
}

}  // namespace

std::string ConfigHome() {
  return xdgFolder("XDG_CONFIG_HOME", "/.config");
}

std::string DataHome() {
  return xdgFolder("XDG_DATA_HOME", "/.local/share");
}

std::string CacheHome() {
  return xdgFolder("XDG_CACHE_HOME", "/.cache");
}

std::string StateHome() {
  return xdgFolder("XDG_STATE_HOME", "/.local/state");
}

std::string DefaultJournalFile() {
  return StateHome() + "/twinfold/journal";
}

std::string ProgramFolder() {
  std::string buf(4096, '\0');
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) return ".";
    if (static_cast<size_t>(n) < buf.size()) {
      buf.resize(static_cast<size_t>(n));
      break;
    }
    buf.resize(buf.size() * 2);
  }
  size_t slash = buf.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : buf.substr(0, slash);
}

std::string DefaultSettingsFile() {
  std::string portable = ProgramFolder() + "/twinfold.dat";
  if (isRegularFile(portable)) return portable;
  return ConfigHome() + "/twinfold/twinfold.dat";
}

std::string DefaultBackupFolder() {
  return DataHome() + "/twinfold/Backup";
}

std::string IgnoredGroupsFile() {
  return DataHome() + "/twinfold/ignored";
}

std::vector<std::string> CollectionFolders() {
  std::vector<std::string> folders{DataHome() + "/twinfold/Filters"};
  folders.push_back(installPrefix() + "/share/twinfold/Filters");
  return folders;
}

std::string HelpIndexFile() {
  return installPrefix() + "/share/twinfold/help/tfhidx.htm";
}

std::string TempFolder() {
  std::string tmp = absoluteEnv("TMPDIR");
  if (tmp.empty()) tmp = "/tmp";
  tmp = withoutTrailingSlash(tmp);
  if (tmp != "/") tmp += '/';
  return tmp;
}

}  // namespace tf
