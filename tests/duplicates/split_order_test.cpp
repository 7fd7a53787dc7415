// Finalising's split against a plain rendering of the order rules: new groups go just
// before the split one in the order they formed, files keep their order, a moved file
// becomes the first of its new group; whole trees must come out identical.
#include <gtest/gtest.h>

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
#include "tests/duplicates/grouping_support.h"

namespace tf {
namespace {

using namespace testing;
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
        DataNode* settings = MakeSettings(nameRule, 5, time, size);
        DataNode* unsplit = MakeSettings(nameRule, 5, 1, 1);
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
        DeleteNode(settings);
        DeleteNode(unsplit);
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

}  // namespace
}  // namespace tf
