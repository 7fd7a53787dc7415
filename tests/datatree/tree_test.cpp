// Data tree nodes (linking, deletion, cloning, searches), arena nodes, values, attribute
// lists and integer tables.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "base/text_fold.h"
#include "datatree/attr_list.h"
#include "datatree/attr_value.h"
#include "datatree/data_node.h"
#include "datatree/int_table.h"
#include "datatree/node_arena.h"
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

TEST(AttrValue, ConversionsSaturateAndTextsAreCutOnlyWhenAsked) {
  EXPECT_EQ(AttrValue::FromReal(-2.7).AsInt64(), -2);
  EXPECT_EQ(AttrValue::FromString("12").AsInt64(), 0);  // text is not parsed
  EXPECT_EQ(AttrValue::FromReal(1e300).AsInt64(), INT64_MAX);
  EXPECT_EQ(AttrValue::FromReal(-1e300).AsInt64(), INT64_MIN);
  EXPECT_EQ(AttrValue::FromReal(0.0 / 0.0 * 0).AsInt64(), 0);  // out of range: no UB

  EXPECT_FALSE(AttrValue::FromString(nullptr).IsSet());
  EXPECT_FALSE(AttrValue::FromBytes("abc", 0).IsSet());
  EXPECT_TRUE(AttrValue::FromString("").IsSet());
  EXPECT_EQ(AttrValue::FromInt64(INT64_MIN).AsText(0), "-9223372036854775808");
  EXPECT_EQ(AttrValue::FromReal(1e300).FullText().size(), 308u);
  const std::string big(1000, 'x');
  EXPECT_EQ(AttrValue::FromString(big).AsText(0).size(), 256u);
  EXPECT_EQ(AttrValue::FromString(big).FullText(), big);
  EXPECT_EQ(AttrValue::FromBytes("ab\0cd", 5).AsString(), std::string("ab"));
}

TEST(AttrValue, OwnedTextIsCopiedBorrowedTextIsNot) {
  char buf[] = "hello";
  AttrValue owned = AttrValue::FromString(buf);
  AttrValue borrowed = AttrValue::FromStringRef(buf);
  AttrValue copy = owned;
  buf[0] = 'j';
  EXPECT_STREQ(copy.AsString(), "hello");
  EXPECT_NE(copy.AsString(), owned.AsString());
  EXPECT_STREQ(borrowed.AsString(), "jello");
  copy = borrowed;               // reassignment frees the old owned copy (ASan checks)
  const AttrValue& same = copy;  // through a reference: assigning a value to itself is legal
  copy = same;
  EXPECT_EQ(copy.AsString(), buf);
}

// The cursor wraps, so repeated names are read in turn; the last error survives Clear.
TEST(AttrList, CursorWrapsRepeatedNamesAreReadInTurnAndMissesAreReported) {
  AttrList list;
  list.Set("a", AttrValue::FromInt(1), 0);
  list.Set("x", AttrValue::FromInt(2), 0);
  list.Set("x", AttrValue::FromInt(3), 0);
  EXPECT_EQ(list.Find("x")->value.AsInt(), 2);
  EXPECT_EQ(list.Find("a")->value.AsInt(), 1);  // wraps around from the end
  EXPECT_EQ(list.ValueOf("x").AsInt(), 2);
  EXPECT_EQ(list.ValueOf("x").AsInt(), 3);  // the next of that name
  EXPECT_EQ(list.Find("zz"), nullptr);
  EXPECT_EQ(list.errorCode(), AttrList::kNotFound);
  EXPECT_EQ(&list.ValueAt(5), &AttrValue::Unset());
  list.Clear();
  EXPECT_EQ(list.Set(static_cast<const char*>(nullptr), AttrValue(), 0), 0);
  EXPECT_EQ(list.errorCode(), AttrList::kGenericError);

  AttrList other;
  other.Set("k", AttrValue::FromString("v"), 0);
  other.Set("empty", AttrValue(), 0);
  EXPECT_EQ(list.Assign(other), 2);
  EXPECT_STREQ(list.ValueOf("k").AsString(), "v");
  EXPECT_EQ(&list.ValueOf("empty"), &AttrValue::Unset());
}

TEST(IntTable, GrowsResizesAndGuardsIndexes) {
  IntTable t;
  EXPECT_EQ(t.Set(3, 7, 0), 0);
  EXPECT_EQ(t.Set(3, 7, 1), 1);
  EXPECT_EQ(t.Get(3), 7);
  EXPECT_EQ(t.Set(-1, 1, 1), 0);
  EXPECT_EQ(t.Set(int64_t{1} << 40, 1, 1), 0);  // a damaged index never allocates terabytes
  IntTable u;
  u.Set(1, 5, 1);
  EXPECT_EQ(t.CopyFrom(u), 1);
  EXPECT_EQ(t.Get(1), 5);
}

TEST(TextFold, FoldsAsciiAndLatin1OnlyAndKeepsOtherBytes) {
  EXPECT_EQ(FoldUpper("\xC3\xA9t\xC3\xA9.txt"), "\xC3\x89T\xC3\x89.TXT");  // été
  EXPECT_EQ(FoldUpper("\xC3\xB7"), "\xC3\xB7");                            // division sign
  EXPECT_EQ(FoldUpper("\xFF\xC3"), "\xFF\xC3");  // invalid and cut-off bytes survive
}

// Nodes made in a node arena. Under AddressSanitizer a freed borrowed text or a block
// given back too early fails, and a block never given back leaks.
// A result's file node keeps its own name in a folder kept as parts. Whatever reads or
// copies it whole sees the whole path; a new name or desc makes both texts whole first.
TEST(NodeArena, AFileInAFolderIsReadAndCopiedWhole) {
  NodePtr root(CreateNode(nullptr, "root", ATTACH_ROOT));
  NodeArena arena;
  const FolderText* top = arena.StoreFolder(nullptr, "/");
  const FolderText* folder = arena.StoreFolder(arena.StoreFolder(top, "a b/"), "c/");
  ASSERT_NE(folder, nullptr);
  EXPECT_EQ(folder->Whole(), "/a b/c/");
  DataNode* file = arena.CreateInFolder(root.get(), "x.txt", folder, ATTACH_LAST_CHILD);
  DataNode* other = arena.CreateInFolder(root.get(), "y.txt", folder, ATTACH_LAST_CHILD);
  DataNode* high = arena.CreateInFolder(root.get(), "z", top, ATTACH_LAST_CHILD);
  ASSERT_TRUE(file && other && high);
  EXPECT_STREQ(file->Name(), "x.txt");
  EXPECT_EQ(FullName(file), "/a b/c/x.txt");
  EXPECT_EQ(FullName(high), "/z");
  EXPECT_EQ(FullDesc(file), "/a b/c/");
  for (const char* wrong : {"/a b/c/x.tx", "/a b/d/x.txt", "/a bc//x.txt", "/a b/c/x.txtx", ""})
    EXPECT_FALSE(FullNameIs(file, wrong)) << wrong;
  EXPECT_TRUE(FullNameIs(file, "/a b/c/x.txt"));
  char start[8];
  ASSERT_EQ(CopyFullNameStart(file, 0, start, sizeof start), sizeof start);
  EXPECT_EQ(std::string(start, sizeof start), "/a b/c/x");
  ASSERT_EQ(CopyFullNameStart(file, 3, start, sizeof start), sizeof start);
  EXPECT_EQ(std::string(start, sizeof start), "b/c/x.tx");
  ASSERT_EQ(CopyFullNameStart(file, 9, start, sizeof start), 3u);
  EXPECT_EQ(std::string(start, 3), "txt");
  EXPECT_EQ(CopyFullNameStart(high, 0, start, sizeof start), 2u);
  EXPECT_EQ(CopyFullNameStart(high, 2, start, sizeof start), 0u);
  EXPECT_EQ(FullName(root.get()), "root");

  NodePtr copy(CloneNode(file, nullptr, 1));
  EXPECT_STREQ(copy->Name(), "/a b/c/x.txt");
  EXPECT_STREQ(copy->Desc(), "/a b/c/");
  EXPECT_EQ(FullName(copy.get()), "/a b/c/x.txt");
  std::string xml;
  ASSERT_TRUE(WriteNodeXml(file, &xml, false));
  EXPECT_NE(xml.find("name=\"/a b/c/x.txt\" desc=\"/a b/c/\""), std::string::npos) << xml;

  SetDesc(file, "/elsewhere/");
  EXPECT_EQ(FullName(file), "/a b/c/x.txt");
  EXPECT_STREQ(file->Desc(), "/elsewhere/");
  SetName(other, "/d/y.txt");
  EXPECT_EQ(FullName(other), "/d/y.txt");
  EXPECT_STREQ(other->Desc(), "/a b/c/");
}

// Nodes and their shared texts outlive the arena; blocks go back in any order.
TEST(NodeArena, BlocksGoBackAsTheirNodesAreDeletedInAnyOrder) {
  NodePtr root(CreateNode(nullptr, "root", ATTACH_ROOT));
  std::vector<DataNode*> nodes;
  const std::string padding(3000, 'x');
  {
    NodeArena arena;
    // Long names fill several blocks; one longer than a block is a heap text.
    char* folder = arena.StoreShared("/many/");
    for (int i = 0; i < 1500; ++i) {
      nodes.push_back(arena.Create(root.get(), "/many/" + std::to_string(i) + padding, folder,
                                   ATTACH_LAST_CHILD));
      ASSERT_NE(nodes.back(), nullptr);
    }
    EXPECT_EQ(nodes[0]->desc, nodes[1]->desc);  // one copy for the folder
    EXPECT_EQ(nodes[1]->depth, 1);
    DataNode* front = arena.Create(root.get(), "/front", nullptr, ATTACH_FIRST_CHILD);
    EXPECT_EQ(root->FirstChild(), front);
    // Texts set later are the node's own; the borrowed ones are left alone.
    SetName(nodes[0], "/renamed");
    SetDesc(nodes[0], "/a/");
    EXPECT_STREQ(NodePtr(CloneNode(nodes[0], nullptr, 1))->Name(), "/renamed");
    NodePtr loose(arena.Create(nullptr, "/loose", nullptr, ATTACH_ROOT));
    EXPECT_EQ(loose->Parent(), nullptr);  // a root, as CreateNode makes it
    const std::string huge(NodeArena::kBlockSize + 10, 'h');
    DataNode* big = arena.Create(root.get(), huge, folder, ATTACH_LAST_CHILD);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(std::string(big->Name()), huge);
    EXPECT_GE(arena.ReservedBytes(), 4 * NodeArena::kBlockSize);
    DeleteNode(big);
  }
  for (size_t i = 0; i < nodes.size(); i += 2) DeleteNode(nodes[i]);
  for (size_t i = 1; i < nodes.size(); i += 2) {
    EXPECT_EQ(nodes[i]->Name(), "/many/" + std::to_string(i) + padding);
    EXPECT_STREQ(nodes[i]->Desc(), "/many/");
  }
  int left = 0;
  for (DataNode* c = root->FirstChild(); c; c = c->Next()) ++left;
  EXPECT_EQ(left, 751);  // the rest go with their parent
}

}  // namespace
}  // namespace tf
