// Real scans and merges group as a plain reference does, on thousands of random file sets
// and every combination of the criteria.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <unicode/unorm.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>

#include "duplicates/duplicate_index.h"
#include "duplicates/run_result.h"
#include "duplicates/similar_names.h"
#include "grouping_support.h"

namespace tf {
namespace {

using namespace testing;
struct File {
  std::string folder;  // ends in '/'
  std::string name;
  int64_t size;
  int64_t time;
};

// The reference: characters as a list, rules read off the list. A sequence is one
// character only when it needs exactly its bytes and encodes a Unicode scalar value.
std::vector<std::string> charactersOf(const std::string& text) {
  std::vector<std::string> chars;
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char lead = text[i];
    size_t want = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    uint32_t value = want == 4 ? lead & 0x07 : want == 3 ? lead & 0x0F : lead & 0x1F;
    bool whole = lead < 0xF8 && i + want <= text.size();
    for (size_t k = 1; whole && k < want; ++k) {
      const unsigned char next = text[i + k];
      whole = (next >> 6) == 2;
      value = value << 6 | (next & 0x3F);
    }
    const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (want > 1 && (!whole || value < least[want] || value > 0x10FFFF ||
                     (value >= 0xD800 && value <= 0xDFFF))) {
      want = 1;
    }
    chars.push_back(text.substr(i, want));
    i += want;
  }
  return chars;
}

std::string joined(const std::vector<std::string>& chars, size_t from, size_t to) {
  std::string text;
  for (size_t i = from; i < to && i < chars.size(); ++i) text += chars[i];
  return text;
}

long extensionDot(const std::vector<std::string>& chars) {
  if (chars.size() < 3) return -1;
  for (long i = static_cast<long>(chars.size()) - 1; i > 0; --i)
    if (chars[i] == ".") return i;
  return -1;
}

std::string referenceKey(const std::string& name, int rule, int n) {
  const auto chars = charactersOf(name);
  const long dot = extensionDot(chars);
  const std::string ext = dot < 0 ? "" : joined(chars, dot + 1, chars.size());
  if (rule == 0) return name;
  if (rule == 1) return joined(chars, 0, dot < 0 ? chars.size() : dot) + ".*";
  if (dot < 0) return joined(chars, 0, n) + "*";
  if (n > dot) return name;  // the first n characters take in the dot
  const std::string head = joined(chars, 0, n);
  if (chars[n - 1] == ".") return head + ext;
  if (chars[n] == ".") return head + "." + ext;
  return head + "*." + ext;
}

// Random file sets with many collisions.
const std::vector<std::string> kPieces = {
    "a",       "b",    "A",    "x", ".", ".",  "\xc3\xa9",     "\xe6\x97\xa5", "\xf0\x9f\x98\x80",
    "\xff",    "\xc3", "\x80", "1", " ", "\n", "\xe0\x80\x80", "\xed\xa0\x80", "\xf4\x90\x80\x80",
    "\xc0\xaf"};

std::string randomName(std::mt19937& random) {
  std::uniform_int_distribution<size_t> piece(0, kPieces.size() - 1);
  std::uniform_int_distribution<int> length(1, 12);
  std::string name;
  const int count = length(random);
  for (int i = 0; i < count; ++i) name += kPieces[piece(random)];
  const char* const forms[] = {".", "", "", "", "", ""};
  const char* const endings[] = {"", ".", ".txt", ".TXT", "", ""};
  const int form = static_cast<int>(random() % 6);
  return forms[form] + name + endings[form];
}

std::vector<File> randomFiles(uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<std::string> pool;
  for (int i = 0; i < 12; ++i) pool.push_back(randomName(random));
  for (int i = 0; i < 6; ++i) {
    const std::string stem = randomName(random);
    for (const char* ending : {"1.jpg", "12.jpg", "122.jpg", ".jpg", "1.doc", "1"})
      pool.push_back(stem + ending);
  }
  std::set<std::string> used;
  std::vector<File> files;
  const int count = 5 + static_cast<int>(random() % 60);
  for (int i = 0; i < count; ++i) {
    File f;
    // One and two deep, so scans hold their folder parts in different orders.
    f.folder = "/d" + std::to_string(random() % 3) + "/";
    if (random() % 2) f.folder += "e" + std::to_string(random() % 2) + "/";
    f.name = pool[random() % pool.size()];
    f.size = static_cast<int64_t>(random() % 3) * (int64_t{1} << 33);
    f.time = static_cast<int64_t>(random() % 3) * 86400 * kSecond +
             static_cast<int64_t>(random() % 2) * kSecond + random() % kSecond;
    if (used.insert(f.folder + f.name).second) files.push_back(f);
  }
  return files;
}

// Files a scan's share one by one, or (odd seeds) as a walk does: one folder's files in
// batches of random length, whose keys are looked up ahead of filing.
void fileShare(DuplicateIndex& index, const std::vector<const File*>& share, uint32_t seed) {
  if (seed % 2 == 0) {
    for (const File* f : share) index.AddFile(f->folder, f->name, f->size, f->time);
    return;
  }
  std::mt19937 random(seed);
  std::vector<DuplicateIndex::NewFile> batch;
  for (size_t i = 0; i < share.size();) {
    const size_t limit = 1 + random() % 40;
    batch.clear();
    size_t j = i;
    for (; j < share.size() && batch.size() < limit && share[j]->folder == share[i]->folder; ++j)
      batch.push_back({share[j]->name, share[j]->size, share[j]->time, 0});
    std::lock_guard<std::mutex> lock(IndexLock());
    index.AddFilesLocked(share[i]->folder, batch);
    i = j;
  }
}

std::set<Group> indexedGroups(const std::vector<File>& files, const DuplicateCriteria& settings,
                              uint32_t seed, int64_t* fileCount) {
  const size_t scans = 1 + seed % 3;
  RunResult run;
  for (size_t s = 0; s < scans; ++s) {
    auto index = std::make_unique<DuplicateIndex>();
    index->Configure(settings);
    std::vector<const File*> share;
    for (size_t i = s; i < files.size(); i += scans) share.push_back(&files[i]);
    if (seed % 2 == 1)
      std::stable_sort(share.begin(), share.end(),
                       [](const File* a, const File* b) { return a->folder < b->folder; });
    fileShare(*index, share, seed);
    run.Merge(index);
  }
  run.Finalise(settings, FakeLocalTime);
  *fileCount = run.FileCount();
  for (const DataNode* g = run.Root() ? run.Root()->FirstChild() : nullptr; g; g = g->Next()) {
    int64_t count = 0, total = 0;
    for (const DataNode* f = g->FirstChild(); f; f = f->Next()) ++count, total += f->val;
    EXPECT_EQ(g->val2, count);
    EXPECT_EQ(g->val, total);
    EXPECT_EQ(g->kind, 1);
    // A group of similar names is named after its first file in path order.
    if (settings.name == NameRule::kSimilar && g->FirstChild()) {
      std::string first = FullName(g->FirstChild());
      for (const DataNode* f = g->FirstChild(); f; f = f->Next())
        first = std::min(first, FullName(f));
      EXPECT_EQ(g->Name(), GroupNameOf(first.substr(first.rfind('/') + 1)));
    }
  }
  return CanonicalGroups(run.Root());
}

// The looser options against a reference of their own: names made comparable through
// ICU's C interface, every pair of files measured, links joined by hand.

// The code points of valid UTF-8; false for invalid text.
bool referencePoints(const std::string& text, std::vector<UChar32>* out) {
  out->clear();
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const int32_t length = static_cast<int32_t>(text.size());
  for (int32_t i = 0; i < length;) {
    UChar32 c = 0;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) return false;
    out->push_back(c);
  }
  return true;
}

std::string referenceForm(const std::string& name, bool normalize, bool fold) {
  std::vector<UChar32> points;
  if (!referencePoints(name, &points)) return name;
  UErrorCode status = U_ZERO_ERROR;
  UChar text[512];
  int32_t length = 0;
  u_strFromUTF8(text, 512, &length, name.data(), static_cast<int32_t>(name.size()), &status);
  UChar work[1024];
  if (normalize) {
    const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
    length = unorm2_normalize(nfc, text, length, work, 1024, &status);
    u_memcpy(text, work, length);
  }
  if (fold) {
    length = u_strFoldCase(work, 1024, text, length, U_FOLD_CASE_DEFAULT, &status);
    u_memcpy(text, work, length);
  }
  char out[2048];
  int32_t outLength = 0;
  u_strToUTF8(out, 2048, &outLength, text, length, &status);
  EXPECT_TRUE(U_SUCCESS(status)) << name;
  return std::string(out, static_cast<size_t>(outLength));
}

class Joins {
 public:
  explicit Joins(size_t n) : m_up(n) {
    for (size_t i = 0; i < n; ++i) m_up[i] = i;
  }
  size_t Find(size_t x) { return m_up[x] == x ? x : m_up[x] = Find(m_up[x]); }
  void Join(size_t a, size_t b) { m_up[Find(a)] = Find(b); }

 private:
  std::vector<size_t> m_up;
};

int64_t secondOf(const File& f) {
  return f.time / kSecond;
}

// Groups of files linked by `alike` (names), equal sizes when asked, and times at most
// `tolerance` apart (a chain of such links joins).
template <typename Alike>
std::set<Group> linkedGroups(const std::vector<File>& files, bool byTime, bool bySize,
                             int tolerance, Alike alike) {
  Joins joins(files.size());
  for (size_t a = 0; a < files.size(); ++a) {
    for (size_t b = a + 1; b < files.size(); ++b) {
      if (bySize && files[a].size != files[b].size) continue;
      if (byTime && std::llabs(secondOf(files[a]) - secondOf(files[b])) > tolerance) continue;
      if (alike(files[a], files[b])) joins.Join(a, b);
    }
  }
  std::map<size_t, Group> byRoot;
  for (size_t i = 0; i < files.size(); ++i)
    byRoot[joins.Find(i)].push_back(files[i].folder + files[i].name);
  std::set<Group> groups;
  for (auto& [root, paths] : byRoot) {
    if (paths.size() < 2) continue;
    std::sort(paths.begin(), paths.end());
    groups.insert(paths);
  }
  return groups;
}

TEST(GroupingAgreesWithReference, OnRandomFileSetsForEveryCriterion) {
  // Stored "name" and "symbols" and the rule and N they mean: an unknown name lets
  // extensions differ, N out of range compares whole names.
  struct StoredRule {
    int name, symbols, rule, n;
  };
  std::vector<StoredRule> nameRules = {
      {0, 5, 0, 0}, {1, 5, 1, 0}, {-1, 7, 1, 0}, {2, 4, 0, 0}, {2, 11, 0, 0}};
  for (int n = 5; n <= 10; ++n) nameRules.push_back({2, n, 2, n});
  for (uint32_t seed = 0; seed < 1000; ++seed) {
    const auto files = randomFiles(seed);
    for (const auto& [name, symbols, rule, n] : nameRules) {
      for (int time = 0; time <= 1; ++time) {
        for (int size = 0; size <= 1; ++size) {
          DuplicateCriteria settings = StoredCriteria(name, symbols, time, size);
          int64_t count = 0;
          std::vector<std::string> keys;
          for (const File& f : files) keys.push_back(referenceKey(f.name, rule, n));
          const auto key = [&](const File& f) { return keys[static_cast<size_t>(&f - &files[0])]; };
          const auto expected =
              linkedGroups(files, time == 0, size == 0, 0,
                           [&](const File& a, const File& b) { return key(a) == key(b); });
          ASSERT_EQ(indexedGroups(files, settings, seed, &count), expected)
              << "seed " << seed << " name " << name << " n " << symbols << " time " << time
              << " size " << size;
          int64_t expectedCount = 0;
          for (const Group& g : expected) expectedCount += static_cast<int64_t>(g.size());
          EXPECT_EQ(count, expectedCount);
        }
      }
    }
  }
}

// Case and form variants: ß ss SS ẞ, the Turkish i I İ ı, the Greek Σ σ and final ς,
// é and É composed and decomposed, bytes that are no UTF-8.
const std::vector<std::string> kForms = {
    "a",         "A",        "\xc3\x9f",  "ss",       "SS",       "\xe1\xba\x9e", "i",
    "I",         "\xc4\xb0", "\xc4\xb1",  "\xce\xa3", "\xcf\x83", "\xcf\x82",     "\xc3\xa9",
    "e\xcc\x81", "\xc3\x89", "E\xcc\x81", ".",        "\xff",     "\xc3"};

// Five to 44 files of the pool's names in three folders, of sizes 0 and 1, at `time()`.
template <typename Time>
std::vector<File> pickFiles(std::mt19937& random, const std::vector<std::string>& pool, Time time) {
  std::set<std::string> used;
  std::vector<File> files;
  const int count = 5 + static_cast<int>(random() % 40);
  for (int i = 0; i < count; ++i) {
    File f{"/d" + std::to_string(random() % 3) + "/", pool[random() % pool.size()],
           static_cast<int64_t>(random() % 2), 0};
    f.time = time();
    if (used.insert(f.folder + f.name).second) files.push_back(f);
  }
  return files;
}

std::vector<File> randomFormFiles(std::mt19937& random, int tolerance) {
  std::uniform_int_distribution<size_t> piece(0, kForms.size() - 1);
  std::vector<std::string> pool;
  for (int i = 0; i < 10; ++i) {
    std::string name;
    const int count = 1 + static_cast<int>(random() % 4);
    for (int k = 0; k < count; ++k) name += kForms[piece(random)];
    pool.push_back(name + (random() % 2 ? ".txt" : ".TXT"));
    pool.push_back(name);
  }
  // Seconds a few apart, so that tolerances chain some and split others.
  return pickFiles(random, pool, [&] {
    return static_cast<int64_t>(random() % 2) * 86400 * kSecond +
           static_cast<int64_t>(random() % (3 * tolerance + 3)) * kSecond + random() % kSecond;
  });
}

TEST(GroupingAgreesWithReference, FoldedAndComposedNamesAndTimeTolerances) {
  for (uint32_t seed = 0; seed < 200; ++seed) {
    std::mt19937 random(seed);
    for (const int tolerance : {0, 1, 2, 5}) {
      const auto files = randomFormFiles(random, tolerance);
      for (int form = 0; form < 4; ++form) {
        const bool normalize = form & 1;
        const bool fold = form & 2;
        for (const int rule : {0, 1, 2}) {
          DuplicateCriteria criteria = StoredCriteria(rule, 5, 0, random() % 2);
          criteria.normalize = normalize;
          criteria.foldCase = fold;
          criteria.timeTolerance = tolerance;
          criteria.sameTime = random() % 4 != 0;
          auto keyOf = [&](const File& f) {
            return referenceKey(referenceForm(f.name, normalize, fold), rule, 5);
          };
          const auto expected =
              linkedGroups(files, criteria.sameTime, criteria.sameSize, tolerance,
                           [&](const File& a, const File& b) { return keyOf(a) == keyOf(b); });
          int64_t count = 0;
          ASSERT_EQ(indexedGroups(files, criteria, seed, &count), expected)
              << "seed " << seed << " form " << form << " rule " << rule << " tolerance "
              << tolerance;
        }
      }
      // The forms themselves against ICU's comparison of canonical equivalents, with and
      // without case.
      const auto utf16 = [](const std::string& name, UChar* out, int32_t* length,
                            UErrorCode* status) {
        u_strFromUTF8(out, 512, length, name.data(), static_cast<int32_t>(name.size()), status);
      };
      for (const File& a : files) {
        for (const File& b : files) {
          UChar ua[512], ub[512];
          int32_t la = 0, lb = 0;
          UErrorCode status = U_ZERO_ERROR;
          utf16(a.name, ua, &la, &status);
          utf16(b.name, ub, &lb, &status);
          if (U_FAILURE(status)) continue;  // not UTF-8: compared as bytes
          for (const uint32_t options : {0u, static_cast<uint32_t>(U_COMPARE_IGNORE_CASE)}) {
            const bool equal = unorm_compare(ua, la, ub, lb, options, &status) == 0;
            const bool fold = options != 0;
            EXPECT_EQ(equal, referenceForm(a.name, true, fold) == referenceForm(b.name, true, fold))
                << a.name << " " << b.name;
          }
        }
      }
    }
  }
}

// Names of a few stems with random edits, cases and extensions.
std::vector<File> randomSimilarFiles(std::mt19937& random) {
  const std::vector<std::string> stems = {
      "holiday photo", "report", "Stra\u00dfe", "\u03a3\u03bf\u03c6\u03b9\u03b1", "ab", "x"};
  const std::string letters = "aeiosSx ()1";
  std::vector<std::string> pool;
  for (int i = 0; i < 14; ++i) {
    std::string stem = stems[random() % stems.size()];
    const int edits = static_cast<int>(random() % 4);
    for (int e = 0; e < edits && !stem.empty(); ++e) {
      const size_t at = random() % stem.size();
      if (static_cast<unsigned char>(stem[at]) >= 0x80) continue;  // keep the text UTF-8
      const char letter = letters[random() % letters.size()];
      switch (random() % 3) {
        case 0:
          stem.insert(stem.begin() + static_cast<long>(at), letter);
          break;
        case 1:
          stem.erase(at, 1);
          break;
        default:
          stem[at] = letter;
      }
    }
    if (random() % 5 == 0) stem += "\xff";
    const char* const endings[] = {".jpg", ".JPG", ".txt", ""};
    pool.push_back(stem + endings[random() % 4]);
  }
  return pickFiles(random, pool, [&] { return static_cast<int64_t>(random() % 3) * kSecond; });
}

// Plain Levenshtein distance over the whole table.
size_t referenceDistance(const std::vector<UChar32>& a, const std::vector<UChar32>& b) {
  std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= a.size(); ++i)
    for (size_t j = 1; j <= b.size(); ++j)
      d[i][j] = std::min(
          {d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
  return d[a.size()][b.size()];
}

bool referenceAlike(const File& a, const File& b, int percent) {
  std::vector<UChar32> pa;
  std::vector<UChar32> pb;
  if (!referencePoints(a.name, &pa) || !referencePoints(b.name, &pb)) return a.name == b.name;
  const std::string fa = referenceForm(a.name, true, true);
  const std::string fb = referenceForm(b.name, true, true);
  const auto ca = charactersOf(fa);
  const auto cb = charactersOf(fb);
  const long da = extensionDot(ca);
  const long db = extensionDot(cb);
  if ((da < 0) != (db < 0)) return false;
  if (da >= 0 && joined(ca, da, ca.size()) != joined(cb, db, cb.size())) return false;
  referencePoints(joined(ca, 0, da < 0 ? ca.size() : da), &pa);
  referencePoints(joined(cb, 0, db < 0 ? cb.size() : db), &pb);
  const size_t longer = std::max(pa.size(), pb.size());
  const size_t distance = referenceDistance(pa, pb);
  return 100 * (longer - distance) >= static_cast<size_t>(percent) * longer;
}

TEST(GroupingAgreesWithReference, SimilarNamesWithAndWithoutSizeAndTime) {
  for (uint32_t seed = 0; seed < 300; ++seed) {
    std::mt19937 random(seed);
    const auto files = randomSimilarFiles(random);
    for (const int percent : {65, 80, 90}) {
      for (int rules = 0; rules < 4; ++rules) {
        DuplicateCriteria criteria;
        criteria.name = NameRule::kSimilar;
        criteria.similarity = percent;
        criteria.sameTime = rules & 1;
        criteria.sameSize = rules & 2;
        criteria.timeTolerance = static_cast<int>(random() % 2);
        // Linked sets by name and size first; each then split by time as every group is.
        std::set<Group> expected;
        const auto sets = linkedGroups(
            files, false, criteria.sameSize, 0,
            [percent](const File& a, const File& b) { return referenceAlike(a, b, percent); });
        for (const Group& set : sets) {
          std::vector<File> members;
          for (const File& f : files)
            if (std::binary_search(set.begin(), set.end(), f.folder + f.name)) members.push_back(f);
          const auto parts = linkedGroups(members, criteria.sameTime, false, criteria.timeTolerance,
                                          [](const File&, const File&) { return true; });
          expected.insert(parts.begin(), parts.end());
        }
        int64_t count = 0;
        ASSERT_EQ(indexedGroups(files, criteria, seed, &count), expected)
            << "seed " << seed << " percent " << percent << " rules " << rules;
      }
    }
  }
}

// The linking alone on many texts of every length, against every pair measured: the
// pieces must never miss a pair, whatever P and however short the texts.
TEST(SimilarNames, LinksAsEveryPairMeasuredWould) {
  for (uint32_t seed = 0; seed < 20; ++seed) {
    std::mt19937 random(seed);
    std::vector<std::u32string> texts;
    for (int i = 0; i < 250; ++i) {
      std::u32string text;
      if (!texts.empty() && random() % 3 != 0) text = texts[random() % texts.size()];
      const int edits = static_cast<int>(random() % 4);
      for (int e = 0; e < edits || text.empty(); ++e) {
        const size_t at = text.empty() ? 0 : random() % (text.size() + 1);
        const char32_t letter = U"abc\u00e9\u03c3"[random() % 5];
        if (random() % 3 == 0 && at < text.size())
          text.erase(at, 1);
        else if (random() % 2 == 0 && at < text.size())
          text[at] = letter;
        else
          text.insert(text.begin() + static_cast<long>(at), letter);
        if (random() % 7 == 0) break;
      }
      texts.push_back(text);
    }
    for (const int percent : {50, 60, 65, 70, 80, 90, 100}) {
      const SimilarNames similar(percent);
      Joins joins(texts.size());
      for (size_t a = 0; a < texts.size(); ++a) {
        for (size_t b = a + 1; b < texts.size(); ++b) {
          std::vector<UChar32> pa(texts[a].begin(), texts[a].end());
          std::vector<UChar32> pb(texts[b].begin(), texts[b].end());
          const size_t longer = std::max(pa.size(), pb.size());
          if (100 * (longer - referenceDistance(pa, pb)) >= static_cast<size_t>(percent) * longer)
            joins.Join(a, b);
        }
      }
      const std::vector<uint32_t> first = similar.Link(texts);
      for (size_t a = 0; a < texts.size(); ++a)
        for (size_t b = a + 1; b < texts.size(); ++b)
          ASSERT_EQ(first[a] == first[b], joins.Find(a) == joins.Find(b))
              << "seed " << seed << " percent " << percent << " texts " << a << " " << b;
    }
  }
}

}  // namespace
}  // namespace tf
