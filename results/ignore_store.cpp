#include "results/ignore_store.h"

#include "platform/path_utils.h"
#include "platform/stored_file.h"

namespace tf {

IgnoreStore::State IgnoreStore::Read(IgnoreList* out, std::string* error) const {
  out->Clear();
  std::string text, why;
  switch (NameKind(m_path)) {
    case NAME_FREE:
      return State::kMissing;
    case NAME_FILE:
      break;
    default:
      if (error) *error = m_path + " is not a regular file";
      return State::kNotAFile;
  }
  if (!ReadStoredFile(m_path, &text, m_maxBytes, &why)) {
    if (NameKind(m_path) == NAME_FREE) return State::kMissing;  // removed meanwhile
    if (error) *error = m_path + " " + why;
    // Too large, unreadable or swapped for a FIFO between the two looks: not ours to
    // read, and kept as it is.
    return why.rfind("is larger than", 0) == 0 ? State::kDamaged : State::kNotAFile;
  }
  if (!out->FromJson(text, &why)) {
    if (error) *error = m_path + " is damaged: " + why;
    return State::kDamaged;
  }
  return State::kRead;
}

bool IgnoreStore::Change(const std::function<bool(IgnoreList&)>& change, std::string* error,
                         std::string* setAside) {
  IgnoreList list;
  std::string why;
  const State state = Read(&list, &why);
  if (state == State::kNotAFile) {
    if (error) *error = why + "; nothing was changed";
    return false;
  }
  if (!change(list)) return true;
  // A damaged list may be all that is left of the user's choices: it is kept beside the
  // new one, never saved over.
  if (state == State::kDamaged && !SetAsideDamagedFile(m_path, setAside)) {
    if (error) *error = why + "; it cannot be set aside, so nothing was changed";
    return false;
  }
  if (!SaveStoredFile(m_path, list.ToJson(), &why, true)) {
    if (error) *error = "cannot save " + m_path + ": " + why;
    return false;
  }
  return true;
}

}  // namespace tf
