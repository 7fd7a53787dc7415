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

#include "duplicates/duplicate_index.h"
#include "duplicates/run_result.h"
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

std::set<Group> referenceGroups(const std::vector<File>& files, int rule, int n, bool byTime,
                                bool bySize) {
  std::map<std::string, std::vector<const File*>> byKey;
  for (const File& f : files) byKey[referenceKey(f.name, rule, n)].push_back(&f);
  std::set<Group> groups;
  for (const auto& [key, members] : byKey) {
    std::map<std::pair<int64_t, int64_t>, Group> parts;
    for (const File* f : members) {
      const int64_t second = byTime ? f->time / kSecond : 0;
      const int64_t size = bySize ? f->size : 0;
      parts[{second, size}].push_back(f->folder + f->name);
    }
    for (auto& [unused, paths] : parts) {
      if (paths.size() < 2) continue;
      std::sort(paths.begin(), paths.end());
      groups.insert(paths);
    }
  }
  return groups;
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
  }
  return CanonicalGroups(run.Root());
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
          const auto expected = referenceGroups(files, rule, n, time == 0, size == 0);
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

}  // namespace
}  // namespace tf
