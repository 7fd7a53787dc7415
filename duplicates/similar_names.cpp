#include "duplicates/similar_names.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>

namespace tf {

namespace {

class Links {
 public:
  explicit Links(size_t count) : m_parent(count) {
    std::iota(m_parent.begin(), m_parent.end(), 0u);
  }
  uint32_t Find(uint32_t x) {
    while (m_parent[x] != x) x = m_parent[x] = m_parent[m_parent[x]];
    return x;
  }
  void Join(uint32_t a, uint32_t b) {
    a = Find(a);
    b = Find(b);
    if (a != b) m_parent[std::max(a, b)] = std::min(a, b);
  }

 private:
  std::vector<uint32_t> m_parent;
};

// The hash of a piece: the length of its text, its number and its code points.
uint64_t pieceHash(size_t length, size_t piece, const char32_t* at, size_t count) {
  uint64_t h = 0xcbf29ce484222325ull ^ (uint64_t{length} << 32 | piece);
  for (size_t i = 0; i < count; ++i) {
    h ^= at[i];
    h *= 0x100000001b3ull;
  }
  return h ^ (h >> 31);
}

}  // namespace

SimilarNames::SimilarNames(int percent) : m_percent(std::clamp(percent, 0, 100)) {}

int SimilarNames::EditsAllowed(size_t length) const {
  // 100 × (1 − d ÷ L) ≥ P  ⇔  100 × d ≤ (100 − P) × L
  return static_cast<int>(static_cast<size_t>(100 - m_percent) * length / 100);
}

int SimilarNames::BoundedDistance(const std::u32string& a, const std::u32string& b, int limit) {
  std::vector<int> rows[2];
  return distanceWithin(a, b, limit, rows);
}

int SimilarNames::distanceWithin(std::u32string_view s, std::u32string_view t, int limit,
                                 std::vector<int> (&rows)[2]) {
  // A shared beginning and end cost nothing: names alike mostly differ in a few letters.
  while (!s.empty() && !t.empty() && s.front() == t.front()) {
    s.remove_prefix(1);
    t.remove_prefix(1);
  }
  while (!s.empty() && !t.empty() && s.back() == t.back()) {
    s.remove_suffix(1);
    t.remove_suffix(1);
  }
  if (s.size() > t.size()) std::swap(s, t);
  const int n = static_cast<int>(s.size());
  const int m = static_cast<int>(t.size());
  const int over = limit + 1;
  if (m - n > limit) return over;
  if (n == 0) return m;
  // Only cells within `limit` of the diagonal can stay within the limit (Ukkonen); the
  // cells next to the band read as over it.
  std::vector<int>& first = rows[0];
  std::vector<int>& second = rows[1];
  if (first.size() < static_cast<size_t>(m) + 2) {
    first.resize(static_cast<size_t>(m) + 2);
    second.resize(static_cast<size_t>(m) + 2);
  }
  int* previous = first.data();
  int* current = second.data();
  const int top = std::min(m, limit);
  for (int j = 0; j <= top; ++j) previous[j] = j;
  previous[top + 1] = over;
  for (int i = 1; i <= n; ++i) {
    const int from = std::max(1, i - limit);
    const int to = std::min(m, i + limit);
    current[from - 1] = from == 1 && i <= limit ? i : over;
    int best = current[from - 1];
    const char32_t letter = s[static_cast<size_t>(i - 1)];
    for (int j = from; j <= to; ++j) {
      const int change = previous[j - 1] + (letter == t[static_cast<size_t>(j - 1)] ? 0 : 1);
      const int cell = std::min({change, previous[j] + 1, current[j - 1] + 1, over});
      current[j] = cell;
      best = std::min(best, cell);
    }
    current[to + 1] = over;
    if (best > limit) return over;
    std::swap(previous, current);
  }
  return std::min(previous[m], over);
}

std::vector<uint32_t> SimilarNames::Link(const std::vector<std::u32string>& texts) const {
  const size_t count = texts.size();
  Links links(count);
  // Shorter texts are put into the index first; each text is then compared with the
  // indexed ones of its own length or up to its allowed edits shorter.
  std::vector<uint32_t> order(count);
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(),
                   [&texts](uint32_t a, uint32_t b) { return texts[a].size() < texts[b].size(); });
  const size_t longest = count == 0 ? 0 : texts[order.back()].size();
  // Pieces of a text of length l: more than the most edits any longer partner allows, up
  // to twice that where the text is long enough. Of m pieces, k edits leave m - k whole:
  // with more pieces than k + 1, a partner must hold several, which few unrelated names
  // do (a piece such as "Codes::" or ".3pm" alone is shared by thousands).
  std::vector<int> pieces(longest + 1, 0);
  for (size_t l = 0; l <= longest; ++l) {
    int most = 0;
    for (size_t other = l; other <= 2 * l + 1 && static_cast<int>(other - l) <= EditsAllowed(other);
         ++other)
      most = std::max(most, EditsAllowed(other));
    const size_t least = static_cast<size_t>(most) + 1;
    // Pieces stay three letters long at least: shorter ones are shared by nearly all.
    pieces[l] = static_cast<int>(least > l ? least : std::max(least, std::min(2 * least, l / 3)));
  }
  // A text too short for its pieces (an empty piece matches anything) is kept in a list
  // that every partner measures whole.
  std::vector<std::vector<uint32_t>> shortOnes(longest + 1);
  std::unordered_map<uint64_t, uint32_t> heads;
  std::vector<std::pair<uint32_t, uint32_t>> chain;  // (next entry + 1, text)
  std::vector<uint32_t> seen(count, 0);
  std::vector<int> rows[2];
  auto pieceAt = [&pieces](size_t length, int piece, size_t* start, size_t* size) {
    const size_t parts = static_cast<size_t>(pieces[length]);
    const size_t base = length / parts;
    const size_t longer = length % parts;  // the last `longer` pieces are one longer
    const size_t p = static_cast<size_t>(piece);
    const size_t shortCount = parts - longer;
    *size = p < shortCount ? base : base + 1;
    *start = p < shortCount ? p * base : shortCount * base + (p - shortCount) * (base + 1);
  };
  // Per indexed text, the pieces the current text holds of it so far.
  struct Held {
    uint32_t probe = 0;  // + 1
    int lastPiece = -1;
    int count = 0;
  };
  std::vector<Held> held(count);
  auto measure = [&](uint32_t probe, uint32_t other, int allowed) {
    if (seen[other] == probe + 1) return;
    seen[other] = probe + 1;
    if (links.Find(probe) == links.Find(other)) return;
    if (distanceWithin(texts[probe], texts[other], allowed, rows) <= allowed)
      links.Join(probe, other);
  };
  for (const uint32_t id : order) {
    const std::u32string& text = texts[id];
    const size_t length = text.size();
    const int allowed = EditsAllowed(length);
    const size_t shortest =
        length > static_cast<size_t>(allowed) ? length - static_cast<size_t>(allowed) : 0;
    for (size_t l = shortest; l <= length; ++l) {
      for (const uint32_t other : shortOnes[l]) measure(id, other, allowed);
      if (static_cast<size_t>(pieces[l]) > l) continue;
      const int need = pieces[l] - allowed;
      for (int p = 0; p < pieces[l]; ++p) {
        size_t start = 0;
        size_t size = 0;
        pieceAt(l, p, &start, &size);
        // An untouched piece moves by no more than the edits made.
        const size_t from =
            start > static_cast<size_t>(allowed) ? start - static_cast<size_t>(allowed) : 0;
        const size_t to = std::min(start + static_cast<size_t>(allowed), length - size);
        for (size_t at = from; at <= to && at + size <= length; ++at) {
          const auto found =
              heads.find(pieceHash(l, static_cast<size_t>(p), text.data() + at, size));
          if (found == heads.end()) continue;
          for (uint32_t e = found->second; e != 0; e = chain[e - 1].first) {
            const uint32_t other = chain[e - 1].second;
            Held& h = held[other];
            if (h.probe != id + 1) h = Held{id + 1, -1, 0};
            if (h.lastPiece == p) continue;  // the piece was found at another place already
            h.lastPiece = p;
            if (++h.count == need) measure(id, other, allowed);
          }
        }
      }
    }
    if (static_cast<size_t>(pieces[length]) > length) {
      shortOnes[length].push_back(id);
      continue;
    }
    for (int p = 0; p < pieces[length]; ++p) {
      size_t start = 0;
      size_t size = 0;
      pieceAt(length, p, &start, &size);
      uint32_t& head = heads[pieceHash(length, static_cast<size_t>(p), text.data() + start, size)];
      chain.emplace_back(head, id);
      head = static_cast<uint32_t>(chain.size());
    }
  }
  std::vector<uint32_t> first(count);
  for (uint32_t i = 0; i < count; ++i) first[i] = links.Find(i);
  return first;
}

}  // namespace tf
