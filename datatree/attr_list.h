// NodeAttr and AttrList: the ordered, named attributes of a node, with the last
// operation's error code and a search cursor that makes in-order reads cheap.
//
// Thread safety: every lookup moves the cursor and sets the error code, so reading a
// list is a write. Two threads may not even read one node at once; a worker that needs
// a node's attributes works on its own copy.
#pragma once

#include <cstdint>
#include <memory>
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

  int Count() const { return m_items ? static_cast<int>(m_items->size()) : 0; }
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

  int32_t errorCode() const { return m_errorCode; }
  // "No error", "Generic error" or "Not found"; empty until the code first changes.
  const char* errorText() const;

  const std::vector<NodeAttr>& items() const;

 private:
  void setError(int32_t code);
  void resetCursor() {
    m_cursor = 0;
    m_cursorCount = -1;
  }

  std::vector<NodeAttr>& mutableItems();

  // Created on the first insertion: most nodes of a result tree have no attributes.
  std::unique_ptr<std::vector<NodeAttr>> m_items;
  int32_t m_errorCode = kNoError;
  int8_t m_textCode = -1;      // code whose text errorText() shows; -1: empty text
  int32_t m_cursor = 0;        // index of the attribute found last
  int32_t m_cursorCount = -1;  // item count when the cursor was taken; -1: no cursor
};

}  // namespace tf
