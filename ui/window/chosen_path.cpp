#include "ui/window/chosen_path.h"

#include <vector>

#include <QStringList>

#include "platform/path_utils.h"
#include "platform/stored_file.h"
#include "ui/qt_text.h"

namespace tf {

namespace {

bool existsHere(const std::string& path) {
  return NameKind(path) != NAME_FREE;
}

std::string joined(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + '/' + name;
}

enum class Match { None, One, Several };

// The name in `folder` that Qt shows as `component`.
Match matchName(const std::string& folder, const QString& component, std::string* name) {
  const std::string direct = TextBytes(component);
  if (existsHere(joined(folder, direct))) {
    *name = direct;
    return Match::One;
  }
  Match match = Match::None;
  std::vector<std::string> entries;
  ListFolderNames(folder.empty() ? "." : folder, &entries);
  for (const std::string& entry : entries) {
    if (QtText(entry) != component) continue;
    if (match == Match::One) return Match::Several;
    *name = entry;
    match = Match::One;
  }
  return match;
}

}  // namespace

bool ChosenPathBytes(const QString& chosen, bool lastMayBeNew, std::string* out) {
  if (chosen.isEmpty()) return false;
  // Valid Unicode converts back exactly; only replacement characters lost bytes.
  if (!chosen.contains(QChar::ReplacementCharacter) || existsHere(TextBytes(chosen))) {
    *out = TextBytes(chosen);
    return true;
  }
  const QStringList parts = chosen.split('/');
  std::string path = chosen.startsWith('/') ? "/" : "";
  for (qsizetype i = 0; i < parts.size(); ++i) {
    if (parts[i].isEmpty()) continue;
    std::string name;
    const Match match = matchName(path, parts[i], &name);
    if (match == Match::Several) return false;
    if (match == Match::None) {
      if (!lastMayBeNew || i != parts.size() - 1) return false;
      name = TextBytes(parts[i]);
    }
    path = joined(path, name);
  }
  *out = path;
  return true;
}

}  // namespace tf
