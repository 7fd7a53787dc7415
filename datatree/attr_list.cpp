#include "datatree/attr_list.h"

#include <cstring>
#include <exception>

namespace tf {

AttrList::~AttrList() {
  dropItems();
}

void AttrList::setError(int32_t code) {
  if (code != kNoError && code != kNotFound) code = kGenericError;
  // The text follows the code only when the code changes, so a fresh list that has
  // only ever succeeded still shows an empty text.
  uintptr_t bits = m_bits;
  if (code != errorCode())
    bits = (bits & ~kTextMask) | (static_cast<uintptr_t>(code + 1) << kTextShift);
  m_bits = (bits & ~kErrorMask) | static_cast<uintptr_t>(code);
}

const char* AttrList::errorText() const {
  switch (static_cast<int>((m_bits & kTextMask) >> kTextShift) - 1) {
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
  const Items* list = held();
  return list ? list->attrs : kEmpty;
}

AttrList::Items& AttrList::mutableItems() {
  if (!held()) m_bits = reinterpret_cast<uintptr_t>(new Items) | (m_bits & kCodeBits);
  return *held();
}

void AttrList::dropItems() {
  delete held();
  m_bits &= kCodeBits;
}

int AttrList::Clear() {
  dropItems();
  setError(kNoError);
  return 1;
}

int AttrList::Assign(const AttrList& other) {
  if (this == &other) return Count();
  try {
    std::vector<NodeAttr> copy(other.items());
    if (copy.empty()) {
      dropItems();
    } else {
      mutableItems().attrs = std::move(copy);
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
    mutableItems().attrs.push_back(attr);
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
      for (NodeAttr& a : mutableItems().attrs) {
        if (a.name == name) {
          a.value = std::move(value);
          resetCursor();
          setError(kNoError);
          return 1;
        }
      }
    }
    mutableItems().attrs.push_back(NodeAttr{name, std::move(value)});
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
  Items& list = *held();
  int start = (list.cursorCount == count) ? list.cursor + 1 : 0;
  if (start >= count) start = 0;
  const size_t len = std::strlen(name);
  for (int k = 0; k < count; ++k) {
    int i = start + k;
    if (i >= count) i -= count;
    const std::string& n = list.attrs[static_cast<size_t>(i)].name;
    if (n.size() == len && (len == 0 || n[0] == name[0]) && std::memcmp(n.data(), name, len) == 0) {
      list.cursor = i;
      list.cursorCount = count;
      setError(kNoError);
      return &list.attrs[static_cast<size_t>(i)];
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
  return &held()->attrs[static_cast<size_t>(index)];
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
