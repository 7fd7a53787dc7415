// Linking, deletion, cloning and searches of data tree nodes.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "datatree/data_node.h"
#include "datatree/node_ptr.h"

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

// Checks every link of the subtree against its neighbours.
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

TEST(DataTree, CreationOrderDepthAndNumbers) {
  NodePtr root = Root("r");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->depth, 0);
  EXPECT_EQ(root->nextSibling, nullptr);
  DataNode* a = CreateNode(root.get(), "a", ATTACH_LAST_CHILD);
  DataNode* b = CreateNode(root.get(), "b", ATTACH_FIRST_CHILD);
  DataNode* c = CreateNode(root.get(), "c", ATTACH_LAST_CHILD);
  EXPECT_EQ(ChildNames(root.get()), (std::vector<std::string>{"b", "a", "c"}));
  EXPECT_EQ(a->depth, 1);
  EXPECT_EQ(b->instanceNo + 2, c->instanceNo);
  EXPECT_EQ(a->instanceNo % 2, 1u);
  ExpectConsistent(root.get());
}

TEST(DataTree, InstanceNumbersCarryPastTheSignedLimit) {
  TreeNode::TEST_SetInstanceCounter(0x7FFFFFFC);
  NodePtr n1 = Root("x");
  NodePtr n2 = Root("y");
  NodePtr n3 = Root("z");
  EXPECT_EQ(n1->instanceNo, 0x7FFFFFFDu);
  EXPECT_EQ(n2->instanceNo, 0x7FFFFFFFu);
  EXPECT_EQ(n3->instanceNo, 0x80000001u);
}

TEST(DataTree, SiblingAttachModes) {
  NodePtr root = Root("r");
  DataNode* a = CreateNode(root.get(), "a", ATTACH_LAST_CHILD);
  DataNode* b = CreateNode(root.get(), "b", ATTACH_LAST_CHILD);
  // After the last child in sibling mode: becomes the new last child.
  DataNode* c = CreateNode(b, "c", 0);
  EXPECT_EQ(root->lastChild, c);
  // Before the first child: becomes the new first child.
  DataNode* z = CreateNode(a, "z", ATTACH_BEFORE);
  EXPECT_EQ(root->firstChild, z);
  // At the end of the chain from any member.
  CreateNode(z, "end", ATTACH_AT_END);
  EXPECT_EQ(ChildNames(root.get()), (std::vector<std::string>{"z", "a", "b", "c", "end"}));
  // Attaching the parent's current last child at the end again changes nothing.
  DataNode* last = root->LastChild();
  EXPECT_EQ(last->Attach(root.get(), ATTACH_LAST_CHILD), 1);
  EXPECT_EQ(ChildNames(root.get()).size(), 5u);
  ExpectConsistent(root.get());
  // Sibling chains of roots: a second root after the first.
  DataNode* r2 = CreateNode(nullptr, "r2", 0);
  EXPECT_EQ(r2->Attach(root.get(), ATTACH_AT_END), 1);
  EXPECT_EQ(LastRootOf(root.get()), r2);
  EXPECT_EQ(RootOf(c), root.get());
  r2->Detach();
  DeleteNode(r2);
}

TEST(DataTree, DetachMoveAndRenumber) {
  NodePtr root = Root("r");
  DataNode* only = CreateNode(root.get(), "only", ATTACH_LAST_CHILD);
  DataNode* deep =
      CreateNode(CreateNode(only, "mid", ATTACH_LAST_CHILD), "deep", ATTACH_LAST_CHILD);
  EXPECT_EQ(deep->depth, 3);
  only->Detach();
  EXPECT_EQ(root->firstChild, nullptr);
  EXPECT_EQ(root->lastChild, nullptr);
  EXPECT_EQ(deep->depth, 2);
  only->Attach(root.get(), ATTACH_LAST_CHILD);
  EXPECT_EQ(deep->depth, 3);

  DataNode* b = CreateNode(root.get(), "b", ATTACH_LAST_CHILD);
  DataNode* c = CreateNode(root.get(), "c", ATTACH_LAST_CHILD);
  EXPECT_EQ(only->MoveUp(0), 0);
  EXPECT_EQ(c->MoveDown(0), 0);
  EXPECT_EQ(b->MoveUp(1), 1);
  EXPECT_EQ(ChildNames(root.get()), (std::vector<std::string>{"only", "b", "c"}));
  EXPECT_EQ(c->MoveUp(0), 1);
  EXPECT_EQ(ChildNames(root.get()), (std::vector<std::string>{"only", "c", "b"}));
  EXPECT_EQ(only->MoveDown(0), 1);
  EXPECT_EQ(ChildNames(root.get()), (std::vector<std::string>{"c", "only", "b"}));
  EXPECT_EQ(root->firstChild, c);
  EXPECT_EQ(root->lastChild, b);
  ExpectConsistent(root.get());
}

TEST(DataTree, DeletionOfSubtreesForestsAndVeryDeepChains) {
  NodePtr root = Root("r");
  DataNode* a = CreateNode(root.get(), "a", ATTACH_LAST_CHILD);
  CreateNode(a, "a1", ATTACH_LAST_CHILD);
  DataNode* b = CreateNode(root.get(), "b", ATTACH_LAST_CHILD);
  EXPECT_EQ(DeleteNode(a), 0);
  EXPECT_EQ(root->firstChild, b);
  EXPECT_EQ(b->prevSibling, nullptr);
  DeleteForest(b);
  EXPECT_EQ(root->firstChild, nullptr);
  EXPECT_EQ(DeleteNode(nullptr), 0);

  // A chain far deeper than any stack could recurse through.
  DataNode* cur = root.get();
  for (int i = 0; i < 200000; ++i) cur = CreateNode(cur, "d", ATTACH_LAST_CHILD);
  EXPECT_EQ(cur->depth, 200000);
  DataNode* top = root->FirstChild();
  top->Detach();  // renumbering is not recursive either
  EXPECT_EQ(cur->depth, 199999);
  DataNode* copy = CloneNode(top, nullptr, 1);
  DeleteNode(top);
  DeleteNode(copy);
}

TEST(DataTree, CloneCopiesEverythingDeeply) {
  NodePtr root = Root("src");
  root->kind = 1;
  root->id = 2;
  root->group = 3;
  root->val = -4;
  root->val2 = INT64_MAX;
  SetDesc(root.get(), "desc");
  root->attrs.Set("s", AttrValue::FromString("text"), 0);
  root->itable.Set(2, 9, 1);
  DataNode* child = CreateNode(root.get(), "child", ATTACH_LAST_CHILD);
  CreateNode(child, "grandchild", ATTACH_LAST_CHILD);
  CreateNode(root.get(), "second", ATTACH_LAST_CHILD);

  NodePtr copy(CloneNode(root.get(), nullptr, 1));
  ASSERT_TRUE(copy);
  EXPECT_STREQ(copy->Name(), "src");
  EXPECT_STREQ(copy->Desc(), "desc");
  EXPECT_EQ(copy->kind, 1);
  EXPECT_EQ(copy->id, 2);
  EXPECT_EQ(copy->group, 3);
  EXPECT_EQ(copy->val, -4);
  EXPECT_EQ(copy->val2, INT64_MAX);
  EXPECT_STREQ(copy->attrs.ValueOf("s").AsString(), "text");
  EXPECT_NE(copy->attrs.ValueOf("s").AsString(), root->attrs.ValueOf("s").AsString());
  EXPECT_EQ(copy->itable.Get(2), 9);
  EXPECT_EQ(ChildNames(copy.get()), (std::vector<std::string>{"child", "second"}));
  EXPECT_EQ(ChildNames(copy->FirstChild()), (std::vector<std::string>{"grandchild"}));
  ExpectConsistent(copy.get());

  NodePtr shallow(CloneNode(root.get(), nullptr, 0));
  EXPECT_EQ(shallow->firstChild, nullptr);
  EXPECT_EQ(CloneNode(nullptr, nullptr, 1), nullptr);
}

TEST(DataTree, NameSearchFlags) {
  NodePtr root = Root("options");
  DataNode* common = CreateNode(root.get(), "common", ATTACH_LAST_CHILD);
  DataNode* tips = CreateNode(common, "tooltips", ATTACH_LAST_CHILD);
  DataNode* other = CreateNode(root.get(), "other", ATTACH_LAST_CHILD);
  DataNode* nested = CreateNode(other, "nested", ATTACH_LAST_CHILD);
  CreateNode(nested, "leaf", ATTACH_LAST_CHILD);

  // 48: the node and its following siblings, never children.
  EXPECT_EQ(FindByName(common, "other", FIND_SELF_AND_NEXT), other);
  EXPECT_EQ(FindByName(common, "tooltips", FIND_SELF_AND_NEXT), nullptr);
  // 80: the node, then its direct children, never its siblings.
  EXPECT_EQ(FindByName(common, "tooltips", FIND_SELF_AND_CHILDREN), tips);
  EXPECT_EQ(FindByName(common, "other", FIND_SELF_AND_CHILDREN), nullptr);
  EXPECT_EQ(FindByName(root.get(), "nested", FIND_SELF_AND_CHILDREN), nullptr);
  // 64: children only.
  EXPECT_EQ(FindByName(root.get(), "options", FIND_CHILDREN), nullptr);
  EXPECT_EQ(FindChild(root.get(), "other"), other);
  // 128 + 16: down the first-child line, level by level.
  EXPECT_EQ(FindByName(root.get(), "tooltips", FIND_DESCEND | FIND_FORWARD), tips);
  // Backward walk.
  EXPECT_EQ(FindByName(other, "common", FIND_SIBLINGS), common);
  // Contains, case-folded.
  EXPECT_EQ(FindByName(common, "THE", FIND_SELF_AND_NEXT, 1), other);
  EXPECT_EQ(FindByName(common, nullptr, FIND_SELF_AND_NEXT), nullptr);

  SetDesc(other, "Second Section");
  EXPECT_EQ(FindByDesc(common, "second", FIND_SELF_AND_NEXT, 1), other);
  EXPECT_EQ(FindByDesc(common, "second", FIND_SELF_AND_NEXT, 0), nullptr);
}

TEST(DataTree, IdAndPathSearches) {
  NodePtr root = Root("options");
  DataNode* common = CreateNode(root.get(), "common", ATTACH_LAST_CHILD);
  DataNode* tips = CreateNode(common, "tooltips", ATTACH_LAST_CHILD);
  DataNode* section = CreateNode(root.get(), "recent_section", ATTACH_LAST_CHILD);
  DataNode* deep = CreateNode(CreateNode(section, "x", ATTACH_LAST_CHILD), "y", ATTACH_LAST_CHILD);
  deep->id = 77;
  tips->id = 5;

  EXPECT_EQ(FindById(root.get(), 77, FIND_DESCEND | FIND_FORWARD), deep);
  EXPECT_EQ(FindById(root.get(), 5, 1), tips);
  EXPECT_EQ(FindById(root.get(), 77, 0), nullptr);
  EXPECT_EQ(FindById(common, 77, FIND_SIBLINGS | FIND_FORWARD), deep);

  EXPECT_EQ(FindByPath(tips, "common:tooltips", ':'), tips);
  EXPECT_EQ(FindByPath(root.get(), "options:common:tooltips", ':'), tips);
  EXPECT_EQ(FindByPath(root.get(), "tooltips", ':'), nullptr);
  EXPECT_EQ(FindByPath(root.get(), "common:missing", ':'), nullptr);
  EXPECT_EQ(FindByPath(root.get(), "recent_section:", ':'), section);
  EXPECT_EQ(FindByPath(root.get(), "", ':'), nullptr);
  EXPECT_EQ(FindByPath(root.get(), ":", ':'), nullptr);
  EXPECT_EQ(FindByPath(root.get(), nullptr, ':'), nullptr);
}

}  // namespace
}  // namespace tf
