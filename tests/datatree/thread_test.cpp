// Two threads adding children under one parent at once must leave a whole tree.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "datatree/data_node.h"

namespace tf {
namespace {

TEST(DataTreeThreads, ConcurrentCreationUnderOneParent) {
  DataNode* root = CreateNode(nullptr, "root", ATTACH_ROOT);
  constexpr int kPerThread = 20000;
  auto add = [root](char tag) {
    for (int i = 0; i < kPerThread; ++i) {
      const std::string name = std::string(1, tag) + std::to_string(i);  // both ends contended
      ASSERT_NE(CreateNode(root, name.c_str(), i % 2 ? ATTACH_LAST_CHILD : ATTACH_FIRST_CHILD),
                nullptr);
    }
  };
  std::thread t1(add, 'a');
  std::thread t2(add, 'b');
  add('c');
  t1.join();
  t2.join();

  std::set<std::string> names;
  std::set<uint32_t> numbers;
  const TreeNode* prev = nullptr;
  int count = 0;
  for (TreeNode* c = root->firstChild; c; c = c->nextSibling) {
    EXPECT_EQ(c->prevSibling, prev);
    EXPECT_EQ(c->parent, root);
    names.insert(c->name);
    numbers.insert(c->instanceNo);
    prev = c;
    ++count;
  }
  EXPECT_EQ(root->lastChild, prev);
  EXPECT_EQ(count, 3 * kPerThread);
  EXPECT_EQ(names.size(), 3u * kPerThread);
  EXPECT_EQ(numbers.size(), 3u * kPerThread);
  DeleteNode(root);
}

}  // namespace
}  // namespace tf
