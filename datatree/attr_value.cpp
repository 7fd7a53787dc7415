#include "datatree/attr_value.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace tf {

namespace {

char* duplicate(const char* text) {
  if (!text) return nullptr;
  size_t n = std::strlen(text);
  char* copy = static_cast<char*>(std::malloc(n + 1));
  if (!copy) throw std::bad_alloc();
  std::memcpy(copy, text, n + 1);
  return copy;
}

}  // namespace

AttrValue::AttrValue(const AttrValue& other) {
  copyFrom(other);
}

AttrValue::AttrValue(AttrValue&& other) noexcept : m_v(other.m_v), m_type(other.m_type) {
  other.m_type = kUnset;
  other.m_v.q = 0;
}

AttrValue& AttrValue::operator=(const AttrValue& other) {
  if (this != &other) {
    AttrValue copy(other);
    *this = std::move(copy);
  }
  return *this;
}

AttrValue& AttrValue::operator=(AttrValue&& other) noexcept {
  if (this != &other) {
    release();
    m_v = other.m_v;
    m_type = other.m_type;
    other.m_type = kUnset;
    other.m_v.q = 0;
  }
  return *this;
}

AttrValue::~AttrValue() {
  release();
}

void AttrValue::release() {
  if (m_type == kString) std::free(m_v.s);
  m_v.q = 0;
  m_type = kUnset;
}

void AttrValue::copyFrom(const AttrValue& other) {
  if (other.m_type == kString) {
    m_v.s = duplicate(other.m_v.s);
  } else {
    m_v = other.m_v;
  }
  m_type = other.m_type;
}

AttrValue AttrValue::FromString(const char* text) {
  AttrValue v;
  v.SetString(text);
  return v;
}

AttrValue AttrValue::FromBytes(const char* data, long length) {
  AttrValue v;
  v.SetBytes(data, length);
  return v;
}

AttrValue AttrValue::FromStringRef(const char* text) {
  AttrValue v;
  v.SetStringRef(text);
  return v;
}

AttrValue AttrValue::FromInt(int32_t x) {
  AttrValue v;
  v.SetInt(x);
  return v;
}

AttrValue AttrValue::FromInt64(int64_t x) {
  AttrValue v;
  v.SetInt64(x);
  return v;
}

AttrValue AttrValue::FromReal(double x) {
  AttrValue v;
  v.SetReal(x);
  return v;
}

bool AttrValue::IsSet() const {
  switch (m_type) {
    case kInt:
    case kInt64:
    case kReal:
      return true;
    case kString:
    case kStringRef:
      return m_v.f != nullptr;
    default:
      return false;
  }
}

double AttrValue::AsReal() const {
  switch (m_type) {
    case kReal:
      return m_v.r;
    case kInt:
      return static_cast<double>(m_v.i);
    case kInt64:
      return static_cast<double>(m_v.q);
    default:
      return 0.0;
  }
}

int64_t AttrValue::AsInt64() const {
  switch (m_type) {
    case kInt64:
      return m_v.q;
    case kInt:
      return m_v.i;
    case kReal: {
      // Truncation toward zero; values outside the 64-bit range saturate instead of
      // invoking undefined behaviour.
      double r = m_v.r;
      if (!(r == r)) return 0;
      if (r >= 9223372036854775807.0) return INT64_MAX;
      if (r <= -9223372036854775808.0) return INT64_MIN;
      return static_cast<int64_t>(r);
    }
    default:
      return 0;
  }
}

const char* AttrValue::AsString() const {
  return (m_type == kString || m_type == kStringRef) ? m_v.f : nullptr;
}

std::string AttrValue::AsText(long limit) const {
  if (m_type == kString || m_type == kStringRef) {
    if (!m_v.f) return std::string();
    size_t max = limit <= 0 ? 256 : static_cast<size_t>(limit);
    return std::string(m_v.f, strnlen(m_v.f, max));
  }
  return FullText();
}

std::string AttrValue::FullText() const {
  char buf[64];
  switch (m_type) {
    case kInt:
      std::snprintf(buf, sizeof buf, "%" PRId32, m_v.i);
      return buf;
    case kInt64:
      std::snprintf(buf, sizeof buf, "%" PRId64, m_v.q);
      return buf;
    case kReal: {
      // "%f" of a huge double has hundreds of digits; size the buffer from the result.
      int n = std::snprintf(nullptr, 0, "%f", m_v.r);
      std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
      std::snprintf(out.data(), out.size() + 1, "%f", m_v.r);
      return out;
    }
    case kString:
    case kStringRef:
      return m_v.f ? std::string(m_v.f) : std::string();
    default:
      return std::string();
  }
}

void AttrValue::SetString(const char* text) {
  char* copy = duplicate(text);
  release();
  m_type = kString;
  m_v.s = copy;
}

void AttrValue::SetBytes(const char* data, long length) {
  char* copy = nullptr;
  if (data && length > 0) {
    copy = static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1));
    if (!copy) throw std::bad_alloc();
    std::memcpy(copy, data, static_cast<size_t>(length));
    copy[length] = '\0';
  }
  release();
  m_type = kString;
  m_v.s = copy;
}

void AttrValue::SetStringRef(const char* text) {
  release();
  m_type = kStringRef;
  m_v.f = text;
}

void AttrValue::SetInt(int32_t v) {
  release();
  m_type = kInt;
  m_v.i = v;
}

void AttrValue::SetInt64(int64_t v) {
  release();
  m_type = kInt64;
  m_v.q = v;
}

void AttrValue::SetReal(double v) {
  release();
  m_type = kReal;
  m_v.r = v;
}

void AttrValue::Reset() {
  release();
}

const AttrValue& AttrValue::Unset() {
  static const AttrValue unset;
  return unset;
}

}  // namespace tf
