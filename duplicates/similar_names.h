// SimilarNames: links texts whose similarity, 100 × (1 − d ÷ the longer length) with d the
// Levenshtein distance over code points, is at least P, without comparing every pair.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tf {

class SimilarNames {
 public:
  explicit SimilarNames(int percent);

  // The most edits two texts may differ by when the longer has `length` code points.
  int EditsAllowed(size_t length) const;

  // For each of `texts` (distinct or not) the index of the first text of its linked set:
  // two texts are linked when alike, and a set holds every text linked to one of it
  // through others. Candidates come from the pigeonhole principle: a text split into one
  // piece more than the edits it may take keeps one piece whole in the other text, near
  // where it stood; only those are measured, and only up to the edits allowed.
  std::vector<uint32_t> Link(const std::vector<std::u32string>& texts) const;

  // The Levenshtein distance of `a` and `b` when it is at most `limit`, else limit + 1.
  static int BoundedDistance(const std::u32string& a, const std::u32string& b, int limit);

 private:
  // BoundedDistance with rows kept between calls.
  static int distanceWithin(std::u32string_view a, std::u32string_view b, int limit,
                            std::vector<int> (&rows)[2]);

  int m_percent;
};

}  // namespace tf
