// NodeAttr and AttrList: the ordered, named attributes of a node, with the last
// operation's error code and a search cursor that makes in-order reads cheap.
//
// Thread safety: every lookup moves the cursor and sets the error code, so reading a
// list is a write. Two threads may not even read one node at once; a worker that needs
// a node's attributes works on its own copy.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "datatree/attr_value.h"

namespace tf {

struct NodeAttr {
  std::string name;
  AttrValue value;
};

class AttrList {
 public:
  // Error codes of the last operation.
  static constexpr int32_t kNoError = 0;
  static constexpr int32_t kGenericError = 1;
  static constexpr int32_t kNotFound = 2;

  AttrList() = default;
  AttrList(const AttrList&) = delete;
  AttrList& operator=(const AttrList&) = delete;
  ~AttrList();

  int Count() const { return held() ? static_cast<int>(held()->attrs.size()) : 0; }
  int Clear();
  // Replaces the attributes by copies of those of `other`, in order; returns the count.
  int Assign(const AttrList& other);
  int Append(const NodeAttr& attr);
  // Replaces the value of the first attribute named `name` when `replace` is set and
  // one exists, else appends. 0 (code 1) for a null name.
  int Set(const char* name, AttrValue value, int replace);
  int Set(const std::string& name, AttrValue value, int replace) {
    return Set(name.c_str(), std::move(value), replace);
  }
  // Starts at the cursor and wraps around; leaves the cursor at the attribute found.
  NodeAttr* Find(const char* name);
  NodeAttr* Find(const std::string& name) { return Find(name.c_str()); }
  NodeAttr* At(int index);
  const AttrValue& ValueOf(const char* name);
  const AttrValue& ValueOf(const std::string& name) { return ValueOf(name.c_str()); }
  const AttrValue& ValueAt(int index);
  // The name of a set attribute at `index`; null when there is none.
  const char* NameAt(int index);

  int32_t errorCode() const { return static_cast<int32_t>(m_bits & kErrorMask); }
  // "No error", "Generic error" or "Not found"; empty until the code first changes.
  const char* errorText() const;

  const std::vector<NodeAttr>& items() const;

 private:
  // The attributes with the search cursor, made on the first insertion: most nodes (a
  // result holds one per grouped file) never have attributes.
  struct alignas(16) Items {
    std::vector<NodeAttr> attrs;
    int32_t cursor = 0;        // index of the attribute found last
    int32_t cursorCount = -1;  // item count when the cursor was taken; -1: no cursor
  };

  // m_bits holds the Items pointer (16-aligned, so its low four bits are free), the error
  // code in bits 0-1 and the code whose text errorText() shows, plus one, in bits 2-3
  // (0: empty text). One word, as every node carries a list.
  static constexpr uintptr_t kErrorMask = 3;
  static constexpr uintptr_t kTextShift = 2;
  static constexpr uintptr_t kTextMask = 3 << kTextShift;
  static constexpr uintptr_t kCodeBits = kErrorMask | kTextMask;

  Items* held() const { return reinterpret_cast<Items*>(m_bits & ~kCodeBits); }
  Items& mutableItems();
  void dropItems();
  void setError(int32_t code);
  void resetCursor() {
    if (Items* list = held()) {
      list->cursor = 0;
      list->cursorCount = -1;
    }
  }

  uintptr_t m_bits = 0;
};

}  // namespace tf
