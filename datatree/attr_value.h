// AttrValue: the typed value of a node attribute (unset, owned or borrowed text,
// 32-bit, 64-bit or real number).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tf {

class AttrValue {
 public:
  // Type tags.
  static constexpr char kUnset = 'u';
  static constexpr char kString = 's';     // owned copy
  static constexpr char kStringRef = 'f';  // borrowed, never freed
  static constexpr char kInt = 'i';
  static constexpr char kInt64 = 'q';
  static constexpr char kReal = 'r';

  AttrValue() = default;
  AttrValue(const AttrValue& other);
  AttrValue(AttrValue&& other) noexcept;
  AttrValue& operator=(const AttrValue& other);
  AttrValue& operator=(AttrValue&& other) noexcept;
  ~AttrValue();

  static AttrValue FromString(const char* text);  // 's', owned copy (null stays null)
  static AttrValue FromString(const std::string& text) { return FromString(text.c_str()); }
  static AttrValue FromBytes(const char* data, long length);
  static AttrValue FromStringRef(const char* text);  // 'f', not owned
  static AttrValue FromInt(int32_t v);
  static AttrValue FromInt64(int64_t v);
  static AttrValue FromReal(double v);

  char type() const { return m_type; }
  // Set: a number, or text with a non-null pointer. Unset values are never set.
  bool IsSet() const;

  double AsReal() const;
  int64_t AsInt64() const;
  int32_t AsInt() const { return static_cast<int32_t>(AsInt64()); }
  // The text pointer of 's' and 'f' values; null for every other type.
  const char* AsString() const;
  // The value as text: numbers in their decimal form ("%ld", "%lld", "%f"), strings
  // cut to `limit` bytes (0 or less means 256). Unset gives "".
  std::string AsText(long limit) const;
  // The value as text without any cut.
  std::string FullText() const;

  void SetString(const char* text);
  void SetBytes(const char* data, long length);
  void SetStringRef(const char* text);
  void SetInt(int32_t v);
  void SetInt64(int64_t v);
  void SetReal(double v);
  void Reset();  // back to unset, freeing an owned string

  // The one shared unset value that failed lookups return.
  static const AttrValue& Unset();

 private:
  void release();
  void copyFrom(const AttrValue& other);

  union {
    char* s;
    const char* f;
    int32_t i;
    int64_t q;
    double r;
  } m_v{.q = 0};
  char m_type = kUnset;
};

}  // namespace tf
