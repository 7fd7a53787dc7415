// The summary properties (title, author, dates, counts, ...) that older binary office
// documents keep in the "SummaryInformation" stream of their compound file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tf {

// One property as the document stores it: its identifier in the summary set (2 title,
// 3 subject, 4 author, ... 19 security) and its value in the kind it was stored as.
struct SummaryProperty {
  enum Kind { kInteger, kReal, kText, kBoolean, kFileTime, kOther };
  int id = 0;
  Kind kind = kOther;
  int64_t integer = 0;
  double real = 0;
  bool boolean = false;
  // 100 ns since 1601-01-01 UTC; for the editing time (10), which is a span, the span.
  int64_t fileTime = 0;
  std::string text;  // UTF-8
};

// Reads the summary set of the compound document `path` into *out (cleared first), in
// identifier order. Only the file's directory and that one stream are read. 0 when the
// file is not a compound document, is damaged, or has no summary stream; 1 otherwise
// (possibly with no properties).
int ReadDocumentSummary(const std::string& path, std::vector<SummaryProperty>* out);
// The same over a compound document held in memory.
int ReadDocumentSummaryBytes(const void* data, size_t size, std::vector<SummaryProperty>* out);

}  // namespace tf
