// The split of finalising against a plain, slow rendering of the grouping order rules:
// new groups go just before the split one in the order they formed, files keep the order
// in which they joined, a moved file becomes the first of its new group; whole trees
// (names, descriptions, totals, order) must come out identical.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "datatree/data_node.h"
#include "duplicates/duplicate_index.h"
#include "duplicates/duplicate_key.h"
#include "duplicates/run_result.h"
#include "tests/duplicates/grouping_support.h"

namespace tf {
namespace {

using testing::FakeLocalTime;
using testing::MakeSettings;

constexpr int64_t kSecond = 10000000;

std::string subKeyText(const DataNode* file, bool byTime, bool bySize) {
  std::string text;
  LocalStamp at;
  char stamp[64];
  if (byTime && FakeLocalTime(file->val2, &at)) {
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d", at.year, at.month, at.day,
                  at.hour, at.minute, at.second);
    text = stamp;
  }
  if (bySize) text += "|" + std::to_string(file->val);
  return text;
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
      out << "  " << f->Name() << '|' << f->Desc() << '|' << f->val << '|' << f->val2 << '\n';
  }
  return out.str();
}

TEST(SplitOrderTest, WholeTreeMatchesTheOrderRulesForRandomFiles) {
  const char* names[] = {"a.txt", "A.TXT", "b.jpg", "c", "photo.Jpeg", "d.tar.gz", "e.txt"};
  for (uint32_t seed = 0; seed < 400; ++seed) {
    std::mt19937 random(seed);
    for (int time = 0; time <= 1; ++time) {
      for (int size = 0; size <= 1; ++size) {
        const int nameRule = 1 + static_cast<int>(seed % 2);
        DataNode* settings = MakeSettings(nameRule, 5, time, size);
        // The same files grouped without any split give the tree the rules start from.
        DataNode* unsplit = MakeSettings(nameRule, 5, 1, 1);
        RunResult run;
        RunResult plain;
        const int scans = 1 + static_cast<int>(seed % 3);
        std::mt19937 files(seed);
        for (int s = 0; s < scans; ++s) {
          auto index = std::make_unique<DuplicateIndex>();
          auto plainIndex = std::make_unique<DuplicateIndex>();
          index->Configure(settings);
          plainIndex->Configure(unsplit);
          for (int i = 0; i < 60; ++i) {
            // Few sizes and seconds, and times that differ below the second, so that
            // splits make groups of one, of several and none at all.
            const std::string folder = "/s" + std::to_string(s) + "/d" + std::to_string(i) + "/";
            const int64_t second = static_cast<int64_t>(files() % 4) * 3599;
            const char* name = names[files() % 7];
            const auto bytes = static_cast<int64_t>(files() % 3);
            const int64_t time = second * kSecond + files() % kSecond;
            index->AddFile(folder, name, bytes, time);
            plainIndex->AddFile(folder, name, bytes, time);
          }
          run.Merge(index);
          plain.Merge(plainIndex);
        }
        plain.Finalise(unsplit, FakeLocalTime);
        DataNode* expected = CloneNode(plain.Root(), nullptr, 1);
        referenceFinalise(expected, time == 0, size == 0);
        run.Finalise(settings, FakeLocalTime);
        ASSERT_EQ(dump(run.Root()), dump(expected))
            << "seed " << seed << " time " << time << " size " << size;
        DeleteNode(expected);
        DeleteNode(settings);
        DeleteNode(unsplit);
      }
    }
  }
}

// The run map gives its file records back block by block while the nodes are made: with
// groups whose files lie in several blocks, in several scans, the tree must be the same.
TEST(SplitOrderTest, ResultsSpanningManyRecordBlocksMatchTheOrderRules) {
  constexpr size_t kPerScan = 2 * BlockArray<FileRecord>::kBlock / 3 + 7;
  const char* names[] = {"a.txt", "b.jpg", "c", "d.tar.gz", "unique"};
  for (int time = 0; time <= 1; ++time) {
    for (int size = 0; size <= 1; ++size) {
      DataNode* settings = MakeSettings(1, 5, time, size);
      DataNode* unsplit = MakeSettings(1, 5, 1, 1);
      RunResult run;
      RunResult plain;
      std::mt19937 files(static_cast<uint32_t>(time * 2 + size));
      for (int s = 0; s < 4; ++s) {
        auto index = std::make_unique<DuplicateIndex>();
        auto plainIndex = std::make_unique<DuplicateIndex>();
        index->Configure(settings);
        plainIndex->Configure(unsplit);
        for (size_t i = 0; i < kPerScan; ++i) {
          const std::string folder = "/s" + std::to_string(s) + "/d" + std::to_string(i / 50) + "/";
          const uint32_t pick = files() % 5;
          const std::string name = pick == 4 ? "u" + std::to_string(i) : names[pick];
          const auto bytes = static_cast<int64_t>(files() % 3);
          const int64_t modified = static_cast<int64_t>(files() % 5) * 3599 * kSecond;
          index->AddFile(folder, name, bytes, modified);
          plainIndex->AddFile(folder, name, bytes, modified);
        }
        run.Merge(index);
        plain.Merge(plainIndex);
      }
      plain.Finalise(unsplit, FakeLocalTime);
      DataNode* expected = CloneNode(plain.Root(), nullptr, 1);
      referenceFinalise(expected, time == 0, size == 0);
      run.Finalise(settings, FakeLocalTime);
      ASSERT_EQ(dump(run.Root()), dump(expected)) << "time " << time << " size " << size;
      // Files leave one by one, in no particular order, and the rest stay sound.
      for (DataNode* g = run.Root()->FirstChild(); g;) {
        DataNode* next = g->Next();
        while (g->FirstChild() &&
               run.RemoveFile(g->FirstChild()->Next() ? g->FirstChild()->Next() : g->FirstChild(),
                              true) == 1) {
        }
        g = next;
      }
      EXPECT_EQ(run.Root()->FirstChild(), nullptr);
      EXPECT_EQ(run.FileCount(), 0);
      DeleteNode(expected);
      DeleteNode(settings);
      DeleteNode(unsplit);
    }
  }
}

TEST(SplitOrderTest, GroupsFormedByMergingFollowTheByteOrderOfTheirNames) {
  DataNode* settings = MakeSettings(0, 5, 1, 1);
  RunResult run;
  const std::vector<std::string> first = {"b.txt", "x", "a.txt", "C.txt", "\xff.bin", "B.txt"};
  const std::vector<std::string> second = {"\xff.bin", "C.txt", "a.txt", "B.txt", "b.txt", "y"};
  for (const auto* names : {&first, &second}) {
    auto index = std::make_unique<DuplicateIndex>();
    index->Configure(settings);
    for (const std::string& name : *names)
      index->AddFile(names == &first ? "/1/" : "/2/", name, 1, 0);
    run.Merge(index);
  }
  run.Finalise(settings, FakeLocalTime);
  std::vector<std::string> order;
  for (const DataNode* g = run.Root()->FirstChild(); g; g = g->Next()) order.push_back(g->Name());
  EXPECT_EQ(order, (std::vector<std::string>{"B.txt", "C.txt", "a.txt", "b.txt", "\xff.bin"}));
  DeleteNode(settings);
}

}  // namespace
}  // namespace tf
