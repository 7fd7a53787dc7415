// Linking, deletion, cloning and searches of data tree nodes.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "datatree/data_node.h"
#include "datatree/node_ptr.h"
#include "datatree/node_xml.h"

namespace tf {
namespace {

NodePtr Root(const char* name) {
  return NodePtr(CreateNode(nullptr, name, ATTACH_ROOT));
}

std::vector<std::string> ChildNames(const DataNode* parent) {
  std::vector<std::string> names;
  for (DataNode* c = parent->FirstChild(); c; c = c->Next()) names.push_back(c->Name());
  return names;
}

void ExpectConsistent(const TreeNode* node) {
  const TreeNode* prev = nullptr;
  for (const TreeNode* c = node->firstChild; c; c = c->nextSibling) {
    EXPECT_EQ(c->parent, node);
    EXPECT_EQ(c->prevSibling, prev);
    EXPECT_EQ(c->depth, node->depth + 1);
    ExpectConsistent(c);
    prev = c;
  }
  EXPECT_EQ(node->lastChild, prev);
}

TEST(DataTree, InstanceNumbersCarryPastTheSignedLimit) {
  TreeNode::TEST_SetInstanceCounter(0x7FFFFFFC);
  for (const uint32_t expected : {0x7FFFFFFDu, 0x7FFFFFFFu, 0x80000001u})
    EXPECT_EQ(Root("x")->instanceNo, expected);
}

TEST(DataTree, AttachMoveAndDetachKeepTheLinksWhole) {
  NodePtr root = Root("r");
  DataNode* a = CreateNode(root.get(), "a", ATTACH_LAST_CHILD);
  DataNode* b = CreateNode(root.get(), "b", ATTACH_LAST_CHILD);
  DataNode* c = CreateNode(b, "c", 0);  // after the last child: the new last child
  DataNode* z = CreateNode(a, "z", ATTACH_BEFORE);
  CreateNode(z, "end", ATTACH_AT_END);
  EXPECT_EQ(ChildNames(root.get()), (std::vector<std::string>{"z", "a", "b", "c", "end"}));
  EXPECT_EQ(root->LastChild()->Attach(root.get(), ATTACH_LAST_CHILD), 1);
  EXPECT_EQ(ChildNames(root.get()).size(), 5u);
  ExpectConsistent(root.get());

  EXPECT_EQ(z->MoveUp(0), 0);
  EXPECT_EQ(root->LastChild()->MoveDown(0), 0);
  EXPECT_EQ(c->MoveUp(1), 1);  // only asks
  EXPECT_EQ(c->MoveUp(0), 1);
  EXPECT_EQ(z->MoveDown(0), 1);
  EXPECT_EQ(ChildNames(root.get()), (std::vector<std::string>{"a", "z", "c", "b", "end"}));
  EXPECT_EQ(root->firstChild, a);
  ExpectConsistent(root.get());

  DataNode* deep = CreateNode(CreateNode(a, "mid", ATTACH_LAST_CHILD), "deep", ATTACH_LAST_CHILD);
  a->Detach();
  EXPECT_EQ(deep->depth, 2);
  a->Attach(root.get(), ATTACH_FIRST_CHILD);
  EXPECT_EQ(deep->depth, 3);
  EXPECT_EQ(RootOf(deep), root.get());
  ExpectConsistent(root.get());

  EXPECT_EQ(DeleteNode(a), 0);
  EXPECT_EQ(root->firstChild, z);
  EXPECT_EQ(z->prevSibling, nullptr);
  DeleteForest(z);
  EXPECT_EQ(root->firstChild, nullptr);
  EXPECT_EQ(root->lastChild, nullptr);
}

TEST(DataTree, VeryDeepChainsAreRenumberedClonedAndDeletedWithoutRecursion) {
  NodePtr root = Root("r");
  DataNode* cur = root.get();
  for (int i = 0; i < 200000; ++i) cur = CreateNode(cur, "d", ATTACH_LAST_CHILD);
  EXPECT_EQ(cur->depth, 200000);
  DataNode* top = root->FirstChild();
  top->Detach();
  EXPECT_EQ(cur->depth, 199999);
  DataNode* copy = CloneNode(top, nullptr, 1);
  DeleteNode(top);
  DeleteNode(copy);
}

TEST(DataTree, CloneIsADeepCopyOfEveryField) {
  NodePtr root = Root("src");
  std::tie(root->kind, root->id, root->group, root->val, root->val2) =
      std::tuple(1, 2, 3, int64_t{-4}, INT64_MAX);
  SetDesc(root.get(), "desc");
  root->attrs.Set("s", AttrValue::FromString("text"), 0);
  root->itable.Set(2, 9, 1);
  DataNode* child = CreateNode(root.get(), "child", ATTACH_LAST_CHILD);
  CreateNode(child, "grandchild", ATTACH_LAST_CHILD)->val = 8;
  CreateNode(root.get(), "second", ATTACH_LAST_CHILD);

  NodePtr copy(CloneNode(root.get(), nullptr, 1));
  std::string original, copied;
  ASSERT_EQ(WriteNodeXml(root.get(), &original, true), 1);
  ASSERT_EQ(WriteNodeXml(copy.get(), &copied, true), 1);
  EXPECT_EQ(copied, original);
  EXPECT_NE(copy->attrs.ValueOf("s").AsString(), root->attrs.ValueOf("s").AsString());
  ExpectConsistent(copy.get());
  NodePtr shallow(CloneNode(root.get(), nullptr, 0));
  EXPECT_EQ(shallow->firstChild, nullptr);
}

TEST(DataTree, SearchesKeepToTheirPartOfTheTree) {
  NodePtr root = Root("options");
  DataNode* common = CreateNode(root.get(), "common", ATTACH_LAST_CHILD);
  DataNode* tips = CreateNode(common, "tooltips", ATTACH_LAST_CHILD);
  DataNode* other = CreateNode(root.get(), "other", ATTACH_LAST_CHILD);

  EXPECT_EQ(FindByName(common, "tooltips", FIND_SELF_AND_NEXT), nullptr);
  EXPECT_EQ(FindByName(common, "other", FIND_SELF_AND_CHILDREN), nullptr);
  EXPECT_EQ(FindByName(root.get(), "tooltips", FIND_DESCEND | FIND_FORWARD), tips);
  EXPECT_EQ(FindByName(other, "common", FIND_SIBLINGS), common);       // backward
  EXPECT_EQ(FindByName(common, "THE", FIND_SELF_AND_NEXT, 1), other);  // contains, any case

  EXPECT_EQ(FindByPath(root.get(), "options:common:tooltips", ':'), tips);
  EXPECT_EQ(FindByPath(root.get(), ":", ':'), nullptr);
}

}  // namespace
}  // namespace tf
