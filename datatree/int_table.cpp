#include "datatree/int_table.h"

#include <cstdlib>
#include <cstring>

namespace tf {

namespace {
// Tables come from stored files; an index this large is damage, not data.
constexpr int64_t kMaxEntries = int64_t{1} << 20;
}  // namespace

void IntTable::Clear() {
  std::free(m_block);
  m_block = nullptr;
}

int IntTable::CopyFrom(const IntTable& other) {
  if (this == &other) return 1;
  Clear();
  if (!other.m_block) return 1;
  const size_t bytes = static_cast<size_t>(kHeader + other.count()) * sizeof(int64_t);
  m_block = static_cast<int64_t*>(std::malloc(bytes));
  if (!m_block) return 0;
  std::memcpy(m_block, other.m_block, bytes);
  return 1;
}

int IntTable::Resize(int64_t n) {
  Clear();
  if (n < 1 || n > kMaxEntries) return 0;
  m_block = static_cast<int64_t*>(std::calloc(static_cast<size_t>(kHeader + n), sizeof(int64_t)));
  if (!m_block) return 0;
  m_block[0] = n;
  return 1;
}

int IntTable::ResizeMatrix(int64_t rows, int64_t columns) {
  if (rows < 1 || columns < 1 || rows > kMaxEntries / columns) {
    Clear();
    return 0;
  }
  if (!Resize(rows * columns)) return 0;
  m_block[1] = columns;
  return 1;
}

int IntTable::Set(int64_t index, int64_t value, int grow) {
  if (index < 0) return 0;
  const int64_t count = this->count();
  if (index < count) {
    entries()[index] = value;
    return 1;
  }
  if (!grow || index >= kMaxEntries) return 0;
  const int64_t n = index + 1;
  auto* bigger = static_cast<int64_t*>(
      std::realloc(m_block, static_cast<size_t>(kHeader + n) * sizeof(int64_t)));
  if (!bigger) return 0;
  if (!m_block) bigger[1] = 0;  // a new table has no columns
  m_block = bigger;
  std::memset(entries() + count, 0, static_cast<size_t>(n - count) * sizeof(int64_t));
  m_block[0] = n;
  entries()[index] = value;
  return 1;
}

int64_t IntTable::Get(int64_t index) const {
  if (!m_block || index < 0 || index >= count()) return 0;
  return entries()[index];
}

int64_t IntTable::GetCell(int64_t row, int64_t column) const {
  int64_t index = 0;
  if (!m_block || __builtin_mul_overflow(row, columns(), &index) ||
      __builtin_add_overflow(index, column, &index))
    return 0;
  return Get(index);
}

}  // namespace tf
