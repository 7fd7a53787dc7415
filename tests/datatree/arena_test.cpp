// Nodes made in a node arena. Under AddressSanitizer a freed borrowed text or a block given
// back too early fails, and a block never given back leaks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datatree/node_arena.h"
#include "datatree/node_ptr.h"
#include "datatree/node_xml.h"

namespace tf {
namespace {

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
