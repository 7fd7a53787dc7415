// Text formats shared by every view: sizes, grouped numbers, attributes, dates and times.
#pragma once

#include <cstdint>
#include <string>

namespace tf {

// Splits a size into a number text and a unit ("", "K", "MB", "Gb") and answers the unit
// index 0..3. The unit is chosen by decimal thresholds and the number scaled by powers of
// two, so 1,000,000 bytes shows as 0.95 MB. Either output may be null.
int FormatSize(int64_t size, std::string* number, std::string* unit);
// The value with one blank before every group of three digits: 1234567 -> "1 234 567".
std::string FormatGroupedNumber(int64_t value);
// " -R", " -A", " -H", " -S" for read-only, archive, hidden and system, in that order.
std::string FormatAttributes(uint32_t attributes);
// The local date in the locale's short date format (LC_TIME). A zero time leaves `out`
// untouched and answers false; so does a null `out`.
bool FormatDate(int64_t fileTime, std::string* out);
// The local time in the locale's time format with seconds; a zero time gives "".
// False only for a null `out`.
bool FormatTime(int64_t fileTime, std::string* out);
// "YYYY-MM-DD" of the local date, then with !dateOnly a blank and the time: style 0 the
// locale's time format, style 1 "HH:MM:SS" (24 hours). False for a zero time or null `out`.
bool FormatDateTimeIso(int64_t fileTime, std::string* out, bool dateOnly, int timeStyle);

}  // namespace tf
