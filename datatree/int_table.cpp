#include "datatree/int_table.h"

#include <cstdlib>
#include <cstring>

namespace tf {

namespace {
// Tables come from stored files; an index this large is damage, not data.
constexpr int64_t kMaxEntries = int64_t{1} << 20;
}  // namespace

void IntTable::Clear() {
  std::free(m_data);
  m_data = nullptr;
  m_count = 0;
  m_columns = 0;
}

int IntTable::CopyFrom(const IntTable& other) {
  if (this == &other) return 1;
  Clear();
  if (other.m_count == 0) return 1;
  m_data = static_cast<int64_t*>(std::malloc(static_cast<size_t>(other.m_count) * sizeof(int64_t)));
  if (!m_data) return 0;
  std::memcpy(m_data, other.m_data, static_cast<size_t>(other.m_count) * sizeof(int64_t));
  m_count = other.m_count;
  m_columns = other.m_columns;
  return 1;
}

int IntTable::Resize(int64_t n) {
  Clear();
  if (n < 1 || n > kMaxEntries) return 0;
  m_data = static_cast<int64_t*>(std::calloc(static_cast<size_t>(n), sizeof(int64_t)));
  if (!m_data) return 0;
  m_count = static_cast<int32_t>(n);
  return 1;
}

int IntTable::ResizeMatrix(int64_t rows, int64_t columns) {
  if (rows < 1 || columns < 1 || rows > kMaxEntries / columns) {
    Clear();
    return 0;
  }
  if (!Resize(rows * columns)) return 0;
  m_columns = static_cast<int32_t>(columns);
  return 1;
}

int IntTable::Set(int64_t index, int64_t value, int grow) {
  if (index < 0) return 0;
  if (m_data && index < m_count) {
    m_data[index] = value;
    return 1;
  }
  if (!grow || index >= kMaxEntries) return 0;
  const int64_t n = index + 1;
  auto* bigger =
      static_cast<int64_t*>(std::realloc(m_data, static_cast<size_t>(n) * sizeof(int64_t)));
  if (!bigger) return 0;
  std::memset(bigger + m_count, 0, static_cast<size_t>(n - m_count) * sizeof(int64_t));
  m_data = bigger;
  m_count = static_cast<int32_t>(n);
  m_data[index] = value;
  return 1;
}

int64_t IntTable::Get(int64_t index) const {
  if (!m_data || index < 0 || index >= m_count) return 0;
  return m_data[index];
}

int64_t IntTable::GetCell(int64_t row, int64_t column) const {
  int64_t index = 0;
  if (!m_data || __builtin_mul_overflow(row, m_columns, &index) ||
      __builtin_add_overflow(index, column, &index))
    return 0;
  return Get(index);
}

}  // namespace tf
