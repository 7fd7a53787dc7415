#include "datatree/attr_list.h"

#include <cstring>
#include <exception>

namespace tf {

void AttrList::setError(int32_t code) {
  if (code != kNoError && code != kNotFound) code = kGenericError;
  // The text follows the code only when the code changes, so a fresh list that has
  // only ever succeeded still shows an empty text.
  if (code != m_errorCode) m_textCode = static_cast<int8_t>(code);
  m_errorCode = code;
}

const char* AttrList::errorText() const {
  switch (m_textCode) {
    case kNoError:
      return "No error";
    case kNotFound:
      return "Not found";
    case kGenericError:
      return "Generic error";
    default:
      return "";
  }
}

const std::vector<NodeAttr>& AttrList::items() const {
  static const std::vector<NodeAttr> kEmpty;
  return m_items ? *m_items : kEmpty;
}

std::vector<NodeAttr>& AttrList::mutableItems() {
  if (!m_items) m_items = std::make_unique<std::vector<NodeAttr>>();
  return *m_items;
}

int AttrList::Clear() {
  m_items.reset();
  resetCursor();
  setError(kNoError);
  return 1;
}

int AttrList::Assign(const AttrList& other) {
  if (this == &other) return Count();
  try {
    std::vector<NodeAttr> copy(other.items());
    if (copy.empty()) {
      m_items.reset();
    } else {
      mutableItems() = std::move(copy);
    }
  } catch (const std::exception&) {
    resetCursor();
    setError(kGenericError);
    return Count();
  }
  resetCursor();
  setError(kNoError);
  return Count();
}

int AttrList::Append(const NodeAttr& attr) {
  try {
    mutableItems().push_back(attr);
  } catch (const std::exception&) {
    setError(kGenericError);
    return 0;
  }
  resetCursor();
  setError(kNoError);
  return 1;
}

int AttrList::Set(const char* name, AttrValue value, int replace) {
  if (!name) {
    setError(kGenericError);
    return 0;
  }
  try {
    if (replace) {
      for (NodeAttr& a : mutableItems()) {
        if (a.name == name) {
          a.value = std::move(value);
          resetCursor();
          setError(kNoError);
          return 1;
        }
      }
    }
    mutableItems().push_back(NodeAttr{name, std::move(value)});
  } catch (const std::exception&) {
    setError(kGenericError);
    return 0;
  }
  resetCursor();
  setError(kNoError);
  return 1;
}

NodeAttr* AttrList::Find(const char* name) {
  const int count = Count();
  if (!name || count == 0) {
    setError(kNotFound);
    return nullptr;
  }
  // The search begins just after the attribute found last, so reading attributes in
  // the order they were written finds each at the first comparison. A cursor taken on
  // a list that has changed since is not trusted.
  int start = (m_cursorCount == count) ? m_cursor + 1 : 0;
  if (start >= count) start = 0;
  const size_t len = std::strlen(name);
  for (int k = 0; k < count; ++k) {
    int i = start + k;
    if (i >= count) i -= count;
    const std::string& n = (*m_items)[static_cast<size_t>(i)].name;
    if (n.size() == len && (len == 0 || n[0] == name[0]) && std::memcmp(n.data(), name, len) == 0) {
      m_cursor = i;
      m_cursorCount = count;
      setError(kNoError);
      return &(*m_items)[static_cast<size_t>(i)];
    }
  }
  setError(kNotFound);
  return nullptr;
}

NodeAttr* AttrList::At(int index) {
  if (index < 0 || index >= Count()) {
    setError(kNotFound);
    return nullptr;
  }
  setError(kNoError);
  return &(*m_items)[static_cast<size_t>(index)];
}

const AttrValue& AttrList::ValueOf(const char* name) {
  NodeAttr* a = Find(name);
  if (!a) return AttrValue::Unset();
  if (!a->value.IsSet()) {
    setError(kNotFound);
    return AttrValue::Unset();
  }
  return a->value;
}

const AttrValue& AttrList::ValueAt(int index) {
  NodeAttr* a = At(index);
  if (!a) return AttrValue::Unset();
  if (!a->value.IsSet()) {
    setError(kNotFound);
    return AttrValue::Unset();
  }
  return a->value;
}

const char* AttrList::NameAt(int index) {
  NodeAttr* a = At(index);
  if (!a) return nullptr;
  if (!a->value.IsSet()) {
    setError(kNotFound);
    return nullptr;
  }
  return a->name.c_str();
}

}  // namespace tf
