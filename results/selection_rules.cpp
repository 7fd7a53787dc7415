#include "results/selection_rules.h"

#include <cstring>

#include "results/result_rows.h"

namespace tf {

namespace {

// Whether `a` comes before `b` in the lists' name order; equal names keep tree order.
bool namedBefore(const DataNode* a, const DataNode* b) {
  return CompareFullNames(a, b) < 0;
}

// The index of the file a rule keeps, or -1 for the rules that keep none by themselves
// (and for "all but the one in the folder" in a group without a file there).
int keeperOf(const std::vector<DataNode*>& files, SelectRule rule, const std::string& folder) {
  int best = -1;
  for (int i = 0; i < static_cast<int>(files.size()); ++i) {
    const DataNode* file = files[static_cast<size_t>(i)];
    if (best < 0) {
      if (rule != SelectRule::kAllButInFolder || PathInFolder(FullName(file), folder)) best = i;
      continue;
    }
    const DataNode* kept = files[static_cast<size_t>(best)];
    int order = 0;  // >0: `file` is the better keeper
    switch (rule) {
      case SelectRule::kAllButNewest:
        order = file->val2 > kept->val2 ? 1 : file->val2 < kept->val2 ? -1 : 0;
        break;
      case SelectRule::kAllButOldest:
        order = file->val2 < kept->val2 ? 1 : file->val2 > kept->val2 ? -1 : 0;
        break;
      case SelectRule::kAllButLargest:
        order = file->val > kept->val ? 1 : file->val < kept->val ? -1 : 0;
        break;
      case SelectRule::kAllButInFolder:
        if (!PathInFolder(FullName(file), folder)) continue;
        break;
      case SelectRule::kAllButFirst:
        break;  // name order alone decides
      default:
        return -1;
    }
    if (order > 0 || (order == 0 && namedBefore(file, kept))) best = i;
  }
  return best;
}

// The first file in name order.
int firstNamed(const std::vector<DataNode*>& files) {
  int first = 0;
  for (int i = 1; i < static_cast<int>(files.size()); ++i)
    if (namedBefore(files[static_cast<size_t>(i)], files[static_cast<size_t>(first)])) first = i;
  return first;
}

class GroupChooser {
 public:
  GroupChooser(SelectRule rule, const SelectionContext& context)
      : m_rule(rule), m_context(context) {}

  void choose(const DataNode* group, std::vector<DataNode*>* out, std::vector<DataNode*>* kept) {
    m_files.clear();
    for (DataNode* file = group->FirstChild(); file; file = file->Next())
      if (!IsGroupRow(file)) m_files.push_back(file);
    if (m_files.size() < 2 || m_rule == SelectRule::kClear) return;
    m_picked.assign(m_files.size(), 0);
    const bool byKeeper = m_rule != SelectRule::kAllInFolder && m_rule != SelectRule::kInvert;
    const int keeper = byKeeper ? keeperOf(m_files, m_rule, m_context.folder) : -1;
    if (byKeeper && keeper < 0) return;
    for (size_t i = 0; i < m_files.size(); ++i) {
      const DataNode* file = m_files[i];
      bool pick = false;
      if (byKeeper)
        pick = static_cast<int>(i) != keeper;
      else if (m_rule == SelectRule::kAllInFolder)
        pick = PathInFolder(FullName(file), m_context.folder);
      else
        pick = !m_context.wasSelected || !m_context.wasSelected(file);
      m_picked[i] = pick;
    }
    if (keeper >= 0) keepWithNames(keeper);
    for (size_t i = 0; i < m_files.size(); ++i)
      if (m_picked[i] && m_context.isProtected && m_context.isProtected(m_files[i]))
        m_picked[i] = 0;
    if (!hasKeptCopy()) keepWithNames(firstNamed(m_files));
    DataNode* copy = kept ? keptCopy(keeper) : nullptr;
    for (size_t i = 0; i < m_files.size(); ++i) {
      if (!m_picked[i]) continue;
      out->push_back(m_files[i]);
      if (kept) kept->push_back(copy);
    }
  }

 private:
  uint32_t setOf(size_t i) const {
    return m_context.links ? m_context.links->SetOf(m_files[i]) : 0;
  }

  // Leaves file `index` and every other name of its file unpicked.
  void keepWithNames(int index) {
    const size_t kept = static_cast<size_t>(index);
    m_picked[kept] = 0;
    const uint32_t set = setOf(kept);
    if (!set) return;
    for (size_t i = 0; i < m_files.size(); ++i)
      if (setOf(i) == set) m_picked[i] = 0;
  }

  // The rule's keeper, else the first unpicked file in name order none of whose names is
  // picked.
  DataNode* keptCopy(int keeper) const {
    if (keeper >= 0) return m_files[static_cast<size_t>(keeper)];
    int best = -1;
    for (size_t i = 0; i < m_files.size(); ++i)
      if (!m_picked[i] && !namePicked(i) &&
          (best < 0 || namedBefore(m_files[i], m_files[static_cast<size_t>(best)])))
        best = static_cast<int>(i);
    return best < 0 ? nullptr : m_files[static_cast<size_t>(best)];
  }

  bool namePicked(size_t i) const {
    const uint32_t set = setOf(i);
    for (size_t j = 0; set && j < m_files.size(); ++j)
      if (m_picked[j] && setOf(j) == set) return true;
    return false;
  }

  // An unpicked file none of whose names is picked.
  bool hasKeptCopy() const {
    for (size_t i = 0; i < m_files.size(); ++i) {
      if (m_picked[i]) continue;
      const uint32_t set = setOf(i);
      bool namePicked = false;
      for (size_t j = 0; set && j < m_files.size() && !namePicked; ++j)
        namePicked = m_picked[j] && setOf(j) == set;
      if (!namePicked) return true;
    }
    return false;
  }

  SelectRule m_rule;
  const SelectionContext& m_context;
  std::vector<DataNode*> m_files;
  std::vector<char> m_picked;
};

}  // namespace

bool PathInFolder(const std::string& path, const std::string& folder) {
  size_t length = folder.size();
  while (length > 1 && folder[length - 1] == '/') --length;
  if (length == 0 || path.size() <= length) return false;
  if (std::memcmp(path.data(), folder.data(), length) != 0) return false;
  return folder[length - 1] == '/' || path[length] == '/';
}

std::vector<DataNode*> ChooseFiles(const DataNode* root, SelectRule rule,
                                   const SelectionContext& context, std::vector<DataNode*>* kept) {
  std::vector<DataNode*> chosen;
  if (!root) return chosen;
  GroupChooser chooser(rule, context);
  for (const DataNode* group = root->FirstChild(); group; group = group->Next())
    chooser.choose(group, &chosen, kept);
  return chosen;
}

}  // namespace tf
