#include "platform/display_format.h"

#include <langinfo.h>
#include <time.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "platform/file_time.h"

namespace tf {
namespace {

// Formats the local time of `fileTime` with one of the locale's LC_TIME formats. The
// calendar fields come from localtime_r so that zone names and offsets are right too.
std::string formatLocale(int64_t fileTime, nl_item item) {
  const std::timespec ts = TimespecFromFileTime(fileTime);
  const time_t seconds = ts.tv_sec;
  struct tm tm {};
  if (!localtime_r(&seconds, &tm)) return {};
  const char* format = nl_langinfo(item);
  if (!format || !*format) return {};
  char buf[512];
  const size_t n = strftime(buf, sizeof buf, format, &tm);
  return std::string(buf, n);
}

std::string printf2(const char* format, double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, value);
  return buf;
}

}  // namespace

int FormatSize(int64_t size, std::string* number, std::string* unit) {
  double scaled = 0;
  int index = 0;
  if (size / 1000000000 != 0) {
    scaled = static_cast<double>(size) / 1073741824.0;
    index = 3;
  } else if (size / 1000000 != 0) {
    scaled = static_cast<double>(size) / 1048576.0;
    index = 2;
  } else if (size / 1024 != 0) {
    scaled = static_cast<double>(size) / 1024.0;
    index = 1;
  }
  static const char* const kUnits[] = {"", "K", "MB", "Gb"};
  // A fresh string moved in: GCC 12 at -O3 sees a false overlap in assigning the text.
  if (unit) *unit = std::string(kUnits[index]);
  if (!number) return index;
  if (index == 0) {
    *number = std::to_string(size);
    return index;
  }
  const double rounded = std::round(scaled);  // halves away from zero
  if (std::fabs(scaled - rounded) < 1e-7)
    *number = std::to_string(static_cast<int64_t>(rounded));
  else
    *number = printf2("%.2f", scaled);
  return index;
}

std::string FormatGroupedNumber(int64_t value) {
  const std::string text = std::to_string(value);
  // A minus sign stays with the digits: -123456 is "-123 456", not "- 123 456".
  const size_t start = text[0] == '-' ? 1 : 0;
  std::string out = text.substr(0, start);
  const size_t digits = text.size() - start;
  for (size_t i = 0; i < digits; ++i) {
    if (i > 0 && (digits - i) % 3 == 0) out += ' ';
    out += text[start + i];
  }
  return out;
}

std::string FormatAttributes(uint32_t attributes) {
  std::string out;
  if (attributes & 0x01) out += " -R";
  if (attributes & 0x20) out += " -A";
  if (attributes & 0x02) out += " -H";
  if (attributes & 0x04) out += " -S";
  return out;
}

bool FormatDate(int64_t fileTime, std::string* out) {
  if (!out || fileTime == 0) return false;
  CalendarTime c;
  if (!FileTimeToLocal(fileTime, &c)) return false;
  *out = formatLocale(fileTime, D_FMT);
  return true;
}

bool FormatTime(int64_t fileTime, std::string* out) {
  if (!out) return false;
  out->clear();
  CalendarTime c;
  if (fileTime == 0 || !FileTimeToLocal(fileTime, &c)) return true;
  *out = formatLocale(fileTime, T_FMT);
  return true;
}

bool FormatDateTimeIso(int64_t fileTime, std::string* out, bool dateOnly, int timeStyle) {
  if (!out || fileTime == 0) return false;
  CalendarTime c;
  if (!FileTimeToLocal(fileTime, &c)) return false;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", c.year, c.month, c.day);
  *out = buf;
  if (dateOnly) return true;
  if (timeStyle == 1) {
    std::snprintf(buf, sizeof buf, " %02d:%02d:%02d", c.hour, c.minute, c.second);
    *out += buf;
  } else {
    *out += ' ' + formatLocale(fileTime, T_FMT);
  }
  return true;
}

}  // namespace tf
