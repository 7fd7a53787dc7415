// Group keys, index storage, merged scans and finishing: order and names of groups, late
// files, removal, large scans. Which files group is checked against the reference in
// brute_force_test.
#include <gtest/gtest.h>

#include <malloc.h>
#include <chrono>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "datatree/node_ptr.h"
#include "duplicates/duplicate_index.h"
#include "duplicates/duplicate_key.h"
#include "duplicates/run_result.h"
#include "duplicates/text_arena.h"
#include "grouping_support.h"

namespace tf {
namespace {

using namespace testing;
struct File {
  std::string path;
  int64_t size = 0;
  int64_t time = 0;
};

std::unique_ptr<DuplicateIndex> indexOf(const DuplicateCriteria& settings,
                                        const std::vector<File>& files) {
  auto index = std::make_unique<DuplicateIndex>();
  index->Configure(settings);
  for (const File& f : files) {
    const size_t cut = f.path.rfind('/') + 1;
    index->AddFile(std::string_view(f.path).substr(0, cut), std::string_view(f.path).substr(cut),
                   f.size, f.time);
  }
  return index;
}

void runOf(RunResult& run, const DuplicateCriteria& settings,
           const std::vector<std::vector<File>>& scans) {
  for (const auto& files : scans) {
    auto index = indexOf(settings, files);
    run.Merge(index);
  }
  run.Finalise(settings, FakeLocalTime);
}

// Groups stand in the order merges formed them, each merge's in byte order of keys;
// finished groups are named with the extension in lower case.
TEST(RunResult, MergedGroupsStandInTheOrderTheyFormed) {
  DuplicateCriteria settings = StoredCriteria(1, 5, 1, 1);
  RunResult run;
  runOf(run, settings,
        {{{"/1/b.doc", 1, 1}, {"/1/z.DOC", 1, 1}, {"/1/z.txt", 1, 1}},
         {{"/2/c.doc", 1, 1}, {"/2/b.pdf", 1, 1}, {"/2/a.x", 1, 1}, {"/2/a.y", 1, 1}},
         {{"/3/a.z", 1, 1}, {"/3/c.c", 1, 1}, {"/3/z.z", 1, 1}}});
  EXPECT_EQ(GroupsInOrder(run.Root()), (std::vector<Group>{{"/1/z.DOC", "/1/z.txt", "/3/z.z"},
                                                           {"/2/a.x", "/2/a.y", "/3/a.z"},
                                                           {"/1/b.doc", "/2/b.pdf"},
                                                           {"/2/c.doc", "/3/c.c"}}));
  EXPECT_EQ(run.FileCount(), 10);

  settings = StoredCriteria(0, 5, 1, 1);
  RunResult exact;
  const std::vector<std::string> names = {"\xff.bin", "C.txt", "a.txt", "B.TXT", "b.txt"};
  std::vector<File> first, second;
  for (const std::string& name : names) {
    first.push_back({"/1/" + name, 1, 0});
    second.insert(second.begin(), File{"/2/" + name, 1, 0});
  }
  runOf(exact, settings, {first, second});
  std::vector<std::string> order;
  for (const DataNode* g = exact.Root()->FirstChild(); g; g = g->Next())
    order.push_back(std::string(g->Name()) + "|" + g->Desc());
  EXPECT_EQ(order, (std::vector<std::string>{"B.txt|txt", "C.txt|txt", "a.txt|txt", "b.txt|txt",
                                             "\xff.bin|bin"}));
  EXPECT_TRUE(exact.TakeChanged());
  EXPECT_FALSE(exact.TakeChanged());
}

// A finished result takes no late files until cleared, and gives up only its own files.
TEST(RunResult, AFinishedResultTakesNoLateFilesUntilCleared) {
  RunResult run;
  std::unique_ptr<DuplicateIndex> none;
  run.Merge(none);
  run.Finalise(DuplicateCriteria{}, FakeLocalTime);
  EXPECT_EQ(run.Root(), nullptr);
  EXPECT_EQ(run.FileCount(), 0);

  DuplicateCriteria settings = StoredCriteria(0, 5, 1, 1);
  runOf(run, settings, {{{"/a/x", 1, 1}, {"/b/x", 2, 1}}});
  DataNode* root = run.Root();
  auto late = indexOf(settings, {{"/c/x", 4, 1}, {"/c/y", 8, 1}, {"/d/y", 8, 1}});
  run.Merge(late);
  run.Finalise(settings, FakeLocalTime);
  EXPECT_EQ(run.Root(), root);
  EXPECT_EQ(GroupsInOrder(root), (std::vector<Group>{{"/a/x", "/b/x"}}));
  EXPECT_EQ(run.FileCount(), 2);
  run.Clear();
  runOf(run, settings, {{{"/c/y", 8, 1}, {"/d/y", 8, 1}}});
  EXPECT_EQ(GroupsInOrder(run.Root()), (std::vector<Group>{{"/c/y", "/d/y"}}));
  // A node of another tree, or a group, is no file of the result.
  DataNode* stray = CreateNode(nullptr, "g", ATTACH_ROOT);
  EXPECT_EQ(run.RemoveFile(CreateNode(stray, "/z", ATTACH_LAST_CHILD), true), 0);
  EXPECT_EQ(run.RemoveFile(run.Root()->FirstChild(), true), 0);
  EXPECT_EQ(run.FileCount(), 2);
  DeleteNode(stray);
}

// One name shared by many files stays linear (quadratic work would take minutes); unique
// files make no nodes, so a large scan costs little per file.
TEST(DuplicateIndex, LargeScansCostLinearTimeAndLittleMemory) {
  DuplicateCriteria settings = StoredCriteria(0, 5, 0, 0);
  const auto begin = std::chrono::steady_clock::now();
  auto shared = std::make_unique<DuplicateIndex>();
  shared->Configure(settings);
  for (int i = 0; i < 100000; ++i)
    shared->AddFile("/f" + std::to_string(i) + "/", "same.txt", i % 3, (i % 7) * kSecond);
  RunResult run;
  run.Merge(shared);
  run.Finalise(settings, FakeLocalTime);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count(), 20.0);
  EXPECT_EQ(run.FileCount(), 100000);
  EXPECT_EQ(GroupsInOrder(run.Root()).size(), 21u);  // 3 sizes x 7 seconds

  constexpr int kFiles = 200000;
  const size_t before = mallinfo2().uordblks;
  auto index = std::make_unique<DuplicateIndex>();
  index->Configure(settings);
  for (int folder = 0; folder < kFiles / 100; ++folder) {
    const std::string path = "/home/user/pictures/2023/holiday-" + std::to_string(folder) + "/";
    for (int i = 0; i < 100; ++i)
      index->AddFile(path, "IMG_" + std::to_string(folder * 100 + i) + ".jpg", i, i);
  }
  // Under the sanitizers the allocator keeps its own books: take the index's figure.
  const size_t heap = mallinfo2().uordblks - before;
  const double perFile = static_cast<double>(heap > 0 ? heap : index->ApproximateBytes()) / kFiles;
  RecordProperty("bytes_per_file", std::to_string(perFile));
  EXPECT_LT(perFile, 250.0);
}

// Finalising's split against a plain rendering of the order rules: new groups go just
// before the split one in the order they formed, files keep their order, a moved file
// becomes the first of its new group; whole trees must come out identical.
std::string subKeyText(const DataNode* file, bool byTime, bool bySize) {
  return (byTime ? std::to_string(file->val2 / kSecond) : "") +
         (bySize ? "|" + std::to_string(file->val) : "");
}

// One group node per sub-key, each moved file put first, then groups of one dropped.
void referenceFinalise(DataNode* root, bool byTime, bool bySize) {
  for (DataNode* group = root->FirstChild(); group && (byTime || bySize);) {
    DataNode* next = group->Next();
    std::map<std::string, DataNode*> groups;
    DataNode* file = group->FirstChild();
    if (file) groups.emplace(subKeyText(file, byTime, bySize), group);
    for (file = file ? file->Next() : nullptr; file;) {
      DataNode* after = file->Next();
      auto [at, isNew] = groups.try_emplace(subKeyText(file, byTime, bySize), nullptr);
      if (isNew) at->second = CreateNode(group, group->Name(), ATTACH_BEFORE);
      if (at->second != group) {
        file->Detach();
        file->Attach(at->second, ATTACH_FIRST_CHILD);
      }
      file = after;
    }
    group = next;
  }
  root->val2 = 0;
  for (DataNode* group = root->FirstChild(); group;) {
    DataNode* next = group->Next();
    int64_t count = 0, total = 0;
    for (const DataNode* f = group->FirstChild(); f; f = f->Next()) ++count, total += f->val;
    if (count < 2) {
      DeleteNode(group);
    } else {
      const std::string key = group->Name();
      group->kind = 1;
      group->val = total;
      group->val2 = count;
      root->val2 += count;
      SetName(group, GroupNameOf(key));
      SetDesc(group, GroupDescriptionOf(key));
    }
    group = next;
  }
}

std::string dump(const DataNode* root) {
  std::ostringstream out;
  out << root->Name() << ' ' << root->val2 << '\n';
  for (const DataNode* g = root->FirstChild(); g; g = g->Next()) {
    out << g->Name() << '|' << g->Desc() << '|' << g->kind << '|' << g->val << '|' << g->val2
        << '\n';
    for (const DataNode* f = g->FirstChild(); f; f = f->Next())
      out << "  " << FullName(f) << '|' << FullDesc(f) << '|' << f->val << '|' << f->val2 << '\n';
  }
  return out.str();
}

// Few names, sizes and seconds, so splits make groups of one, several and none. The last
// case spans several of the record blocks given back one by one while nodes are made.
// Then files leave one by one, and the totals follow.
TEST(SplitOrderTest, WholeTreeMatchesTheOrderRulesForRandomFiles) {
  const char* names[] = {"a.txt", "A.TXT", "b.jpg", "c", "photo.Jpeg", "d.tar.gz", "e.txt"};
  constexpr uint32_t kLarge = 400;
  for (uint32_t seed = 0; seed <= kLarge; ++seed) {
    const size_t perScan = seed == kLarge ? 2 * BlockArray<FileRecord>::kBlock / 3 + 7 : 60;
    const int scans = seed == kLarge ? 4 : 1 + static_cast<int>(seed % 3);
    const int nameRule = 1 + static_cast<int>(seed % 2);
    for (int time = 0; time <= 1; ++time) {
      for (int size = 0; size <= 1; ++size) {
        DuplicateCriteria settings = StoredCriteria(nameRule, 5, time, size);
        DuplicateCriteria unsplit = StoredCriteria(nameRule, 5, 1, 1);
        std::mt19937 random(seed);
        RunResult run, plain;
        for (int s = 0; s < scans; ++s) {
          auto index = std::make_unique<DuplicateIndex>();
          auto plainIndex = std::make_unique<DuplicateIndex>();
          index->Configure(settings);
          plainIndex->Configure(unsplit);
          for (size_t i = 0; i < perScan; ++i) {
            const uint32_t pick = random() % 8;
            const std::string name = pick == 7 ? "u" + std::to_string(i) : names[pick];
            const auto bytes = static_cast<int64_t>(random() % 3);
            const int64_t second = static_cast<int64_t>(random() % 4) * 3599;
            const std::string folder = "/s" + std::to_string(s) + "/d" + std::to_string(i) + "/";
            const int64_t at = second * kSecond + random() % kSecond;
            index->AddFile(folder, name, bytes, at);
            plainIndex->AddFile(folder, name, bytes, at);
          }
          run.Merge(index);
          plain.Merge(plainIndex);
        }
        plain.Finalise(unsplit, FakeLocalTime);
        NodePtr expected(CloneNode(plain.Root(), nullptr, 1));
        referenceFinalise(expected.get(), time == 0, size == 0);
        run.Finalise(settings, FakeLocalTime);
        ASSERT_EQ(dump(run.Root()), dump(expected.get()))
            << "seed " << seed << " time " << time << " size " << size;
        for (DataNode* g = run.Root()->FirstChild(); g;) {
          DataNode* next = g->Next();
          for (int removed = 1; removed == 1;) {
            const int64_t before = run.FileCount();
            DataNode* first = g->FirstChild();
            removed = run.RemoveFile(first->Next() ? first->Next() : first, true);
            ASSERT_EQ(run.FileCount(), before - removed) << seed;  // a group of one goes
            if (removed != 1) break;
            int64_t count = 0, total = 0;
            for (const DataNode* f = g->FirstChild(); f; f = f->Next()) ++count, total += f->val;
            ASSERT_EQ(g->val2, count) << seed;
            ASSERT_EQ(g->val, total) << seed;
          }
          g = next;
        }
        ASSERT_EQ(run.Root()->FirstChild(), nullptr) << seed;
        ASSERT_EQ(run.FileCount(), 0) << seed;
      }
    }
  }
}

// The compact storage behind a duplicate index; absorbing whole indexes is checked by
// the merges of the reference comparison, under the sanitizers.
TEST(TextArena, PrefixedTextsOfEveryLengthSurviveTheirArenaBeingAdopted) {
  // Lengths around the one- and two-byte prefixes, a block's worth, and an inner NUL.
  std::vector<std::string> texts = {std::string("nul\0inside", 10)};
  for (const size_t length : {0, 127, 128, 16383, 300000}) texts.emplace_back(length, 'x');
  TextArena kept;
  std::vector<const char*> stored;
  {
    TextArena source;
    for (const std::string& text : texts) stored.push_back(source.StorePrefixed(text));
    kept.StorePrefixed("filling");  // the adopting arena is being filled itself
    kept.Adopt(source);
    EXPECT_EQ(source.ReservedBytes(), 0u);
  }  // the source is gone; its blocks live on in `kept`
  for (size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(TextArena::Prefixed(stored[i]), texts[i]);
  EXPECT_EQ(TextArena::Prefixed(kept.StorePrefixed("after")), "after");
}

TEST(DuplicateIndex, FolderPathsComeBackExactlyWhateverTheirOrder) {
  DuplicateCriteria settings = testing::StoredCriteria(0, 5, 1, 1);
  DuplicateIndex index;
  index.Configure(settings);
  // Prefixes of the next name, returns, no closing '/', empty, a second tree, a deep one.
  std::vector<std::string> folders = {"/a/b/",   "/a/b/c/", "/a/bc/", "/a/b",   "/a/bcd/",
                                      "/a/b/c/", "",        "/a/",    "rel/x/", "/"};
  std::string deep = "/a/b/c/";
  for (int i = 0; i < 60; ++i) deep += std::to_string(i % 10) + "/";
  folders.push_back(deep);
  for (const std::string& folder : folders) index.AddFile(folder, "same.txt", 1, 1);
  index.MakeGroupNodes();
  std::vector<std::string> paths, expected;
  for (const DataNode* f = index.ResultRoot()->FirstChild()->FirstChild(); f; f = f->Next()) {
    paths.push_back(f->Name());
    EXPECT_EQ(std::string(f->Desc()) + "same.txt", f->Name());
  }
  for (const std::string& folder : folders) expected.push_back(folder + "same.txt");
  EXPECT_EQ(paths, expected);
}

// The key texts become the names of the groups shown.
std::string firstN(const std::string& name, int n) {
  return MakeDuplicateKey(name, NameRule::kFirstSymbols, n);
}

TEST(DuplicateKey, TellingNames) {
  EXPECT_EQ(MakeDuplicateKey(".bashrc", NameRule::kAnyExtension, 0), ".bashrc.*");
  EXPECT_EQ(MakeDuplicateKey("x.tar.gz", NameRule::kAnyExtension, 0), "x.tar.*");
  EXPECT_EQ(firstN("holiday1.jpg", 5), "holid*.jpg");
  EXPECT_EQ(firstN("holid.jpg", 5), "holid.jpg");
  EXPECT_EQ(firstN(".profile", 5), ".prof*");
  EXPECT_EQ(firstN("abcd.e.txt", 5), "abcd.txt");  // the first five end with an inner dot

  // A key never ends inside a character; invalid, cut-off, overlong and surrogate
  // sequences count one byte per character.
  const std::string e = "\xc3\xa9", ri = "\xe6\x97\xa5";
  EXPECT_EQ(firstN(e + e + e + e + e + e + ".txt", 5), e + e + e + e + e + "*.txt");
  EXPECT_EQ(firstN("abcd" + ri + "z", 5), "abcd" + ri + "*");
  EXPECT_EQ(firstN("abcd\xe6\x97", 5), "abcd\xe6*");
  EXPECT_EQ(firstN("abc\xe0\x80\x80z", 5), "abc\xe0\x80*");
  EXPECT_EQ(firstN("abc\xed\xa0\x80z", 5), "abc\xed\xa0*");
}

// The options added later: an older node lacks them and means what it meant; values out
// of range read as the search will use them; what is written reads back the same.
TEST(DuplicateCriteria, LaterOptionsReadOffWhenMissingClampedWhenOutOfRangeAndRoundTrip) {
  DataNode* older = MakeSettings(0, 5, 0, 0);
  EXPECT_EQ(*ReadCriteria(older), DuplicateCriteria{});
  struct Stored {
    const char* attribute;
    int value;
    int foldCase, tolerance, similarity;  // as read
  };
  const Stored table[] = {
      {"fold_case", 1, 1, 0, 80},       {"fold_case", 2, 0, 0, 80},
      {"time_tolerance", -5, 0, 0, 80}, {"time_tolerance", 86401, 0, 86400, 80},
      {"time_tolerance", 2, 0, 2, 80},  {"similarity", 49, 0, 0, 80},
      {"similarity", 101, 0, 0, 80},    {"similarity", 50, 0, 0, 50},
  };
  for (const Stored& row : table) {
    DataNode* settings = MakeSettings(3, 5, 0, 0);
    settings->attrs.Set(row.attribute, AttrValue::FromInt(row.value), 1);
    const DuplicateCriteria read = *ReadCriteria(settings);
    EXPECT_EQ(read.name, NameRule::kSimilar);
    EXPECT_EQ(read.foldCase, row.foldCase == 1) << row.attribute << " " << row.value;
    EXPECT_EQ(read.timeTolerance, row.tolerance) << row.attribute << " " << row.value;
    EXPECT_EQ(read.similarity, row.similarity) << row.attribute << " " << row.value;
    DeleteNode(settings);
  }
  DuplicateCriteria all;
  all.name = NameRule::kSimilar;
  all.similarity = 65;
  all.foldCase = all.normalize = all.acrossRoots = all.withProtected = true;
  all.timeTolerance = 86400;
  all.sameSize = false;
  ASSERT_TRUE(WriteCriteria(all, older));
  EXPECT_EQ(*ReadCriteria(older), all);
  all.similarity = 30;  // written as it would be read
  ASSERT_TRUE(WriteCriteria(all, older));
  EXPECT_EQ(ReadCriteria(older)->similarity, kDefaultSimilarity);
  DeleteNode(older);
}

}  // namespace
}  // namespace tf
