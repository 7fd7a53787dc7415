// IntTable: a growable array of 64-bit integers, optionally laid out as a matrix.
#pragma once

#include <cstdint>

namespace tf {

class IntTable {
 public:
  IntTable() = default;
  IntTable(const IntTable&) = delete;
  IntTable& operator=(const IntTable&) = delete;
  ~IntTable() { Clear(); }

  void Clear();
  // Deep copy; an empty source leaves this table empty. Returns 0 when memory runs out.
  int CopyFrom(const IntTable& other);
  // n zeroed entries; n below 1 empties the table and returns 0.
  int Resize(int64_t n);
  // rows x columns zeroed entries with the column count set; either below 1 gives 0.
  int ResizeMatrix(int64_t rows, int64_t columns);
  // Stores at an index below the count; with `grow` the table first grows to index + 1.
  int Set(int64_t index, int64_t value, int grow);
  int64_t Get(int64_t index) const;
  int64_t GetCell(int64_t row, int64_t column) const;

  int64_t count() const { return m_block ? m_block[0] : 0; }
  int64_t columns() const { return m_block ? m_block[1] : 0; }
  const int64_t* data() const { return m_block ? m_block + kHeader : nullptr; }

 private:
  static constexpr int64_t kHeader = 2;  // count and column count, before the entries
  int64_t* entries() const { return m_block + kHeader; }
  // One pointer: every node carries two tables and nearly all of them stay empty. A
  // table with entries holds one heap block: count, columns, then the entries.
  int64_t* m_block = nullptr;
};

}  // namespace tf
