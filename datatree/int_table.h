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

  int64_t count() const { return m_count; }
  int64_t columns() const { return m_columns; }
  const int64_t* data() const { return m_data; }

 private:
  // 16 bytes: every node carries two tables, most of them empty.
  int64_t* m_data = nullptr;
  int32_t m_count = 0;
  int32_t m_columns = 0;
};

}  // namespace tf
