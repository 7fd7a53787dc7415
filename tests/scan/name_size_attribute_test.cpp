#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "datatree/node_ptr.h"
#include "scan/attribute_filter.h"
#include "scan/filter_nodes.h"
#include "scan/filter_set.h"
#include "scan/name_filter.h"
#include "scan/size_filter.h"

namespace tf {
namespace {

NodePtr nameNode(const char* include, const char* exclude = nullptr) {
  NodePtr node(CreateNameFilterNode(nullptr));
  SetFilterEnabled(node.get(), 1);
  if (include) SetNameInclude(node.get(), include);
  if (exclude) SetNameExclude(node.get(), exclude);
  return node;
}

TEST(NameFilter, ReadsMaskTextLikeTheEditorsWriteIt) {
  NodePtr node = nameNode(" *.doc , *.txt", "*.bak;~*");
  NameFilter f;
  ASSERT_TRUE(f.Load(node.get()));
  EXPECT_FALSE(f.IncludesAll());
  EXPECT_TRUE(f.MatchName("B.TXT"));
  EXPECT_FALSE(f.MatchName("c.pdf"));
  EXPECT_FALSE(f.MatchName("~lock.txt"));
  EXPECT_EQ(NameFilter::CleanMaskText(" *.log, *.tmp"), "*.log;*.tmp");

  // "*.*" or "*" anywhere, or nothing at all, takes every file.
  for (const char* text : {"*.doc;*.*;*.txt", "*.txt,*", "   "}) {
    NodePtr all = nameNode(text);
    f.Load(all.get());
    EXPECT_TRUE(f.IncludesAll()) << "'" << text << "'";
  }
  NodePtr absent(CreateNode(nullptr, "filter_name", ATTACH_ROOT));
  absent->val = 1;
  f.Load(absent.get());
  EXPECT_TRUE(f.IncludesAll());
  // An exclude text that begins with ';' excludes nothing; so does an empty one.
  for (const char* text : {";*.bak", " , "}) {
    NodePtr n = nameNode("*.bak", text);
    f.Load(n.get());
    EXPECT_TRUE(f.MatchName("a.bak")) << text;
  }
  SetFilterEnabled(node.get(), 0);
  f.Load(node.get());
  EXPECT_TRUE(f.MatchName("a.pdf"));

  // Past 1023 bytes the text is ignored, even in the middle of a mask.
  std::string text = "*.q" + std::string(1010, 'z');  // one mask of 1013 bytes
  text += ";*.abcdefgh";                              // its 'h' is byte 1024
  NodePtr longNode = nameNode(text.c_str());
  f.Load(longNode.get());
  EXPECT_TRUE(f.MatchName("x.abcdefg"));
  EXPECT_FALSE(f.MatchName("x.abcdefgh"));
}

NodePtr sizeNode(int32_t choice, int32_t value, int32_t units) {
  NodePtr node(CreateSizeFilterNode(nullptr));
  SetFilterEnabled(node.get(), 1);
  SetSizeSwitch(node.get(), choice);
  SetSizeValue1(node.get(), value);
  SetSizeUnits1(node.get(), units);
  return node;
}

bool sizeTakes(const NodePtr& node, int64_t size) {
  SizeFilter f;
  f.Load(node.get());
  FileInfo info;
  info.size = size;
  return f.Match(info);
}

// Inclusive bounds and the common choices are checked through the filters page against
// the command line; here what only a stored or damaged descriptor holds.
TEST(SizeAndAttributeFilters, LargeSizesAndUnknownCodesFallBack) {
  // Switch 0 at least, 1 at most; units 0 KB, 2 GB.
  EXPECT_FALSE(sizeTakes(sizeNode(0, 3, 2), 3221225471LL));  // 3 GB: beyond 32 bits
  EXPECT_TRUE(sizeTakes(sizeNode(0, 3, 2), 3221225472LL));
  EXPECT_FALSE(sizeTakes(sizeNode(1, 5, 9), 5121));  // unknown unit: KB
  EXPECT_FALSE(sizeTakes(sizeNode(7, 1, 0), 1023));  // unknown switch: at least
  // The defaults of a new node: at least 1 MB, but the node is disabled.
  NodePtr fresh(CreateSizeFilterNode(nullptr));
  EXPECT_TRUE(sizeTakes(fresh, 0));
  SetFilterEnabled(fresh.get(), 1);
  EXPECT_FALSE(sizeTakes(fresh, 1048575));

  NodePtr node(CreateAttributeFilterNode(nullptr));
  SetFilterEnabled(node.get(), 1);
  SetAttrSystem(node.get(), 2);
  SetAttrArchive(node.get(), 5);  // unknown rule: ignored
  AttributeFilter f;
  f.Load(node.get());
  auto takes = [&f](uint32_t attributes) {
    FileInfo info;
    info.attributes = attributes;
    return f.Match(info);
  };
  EXPECT_TRUE(takes(kAttrHidden | kAttrReadOnly | kAttrArchive));
  EXPECT_FALSE(takes(kAttrHidden | kAttrSystem));
}

TEST(FilterSet, BuildsActiveFiltersFromTheDescriptor) {
  NodePtr filters(CreateNode(nullptr, "filters", ATTACH_ROOT));
  UtcFilterClock clock;
  DataNode* name = CreateNameFilterNode(filters.get());
  DataNode* size = CreateSizeFilterNode(filters.get());
  CreateTimeFilterNode(filters.get(), clock);
  CreateAttributeFilterNode(filters.get());

  FilterSet set;
  EXPECT_EQ(set.LoadFrom(filters.get(), clock), 0);  // all disabled
  FileInfo big{"a.jpg", 5 << 20, 0, 0, 0, 0};
  EXPECT_TRUE(set.Match(big));

  SetFilterEnabled(name, 1);
  SetNameInclude(name, "*.jpg");
  SetFilterEnabled(size, 1);
  SetSizeSwitch(size, 1);  // at most 1 MB
  EXPECT_EQ(set.LoadFrom(filters.get(), clock), 2);
  FileInfo small{"b.jpg", 1000, 0, 0, 0, 0};
  FileInfo other{"b.png", 1000, 0, 0, 0, 0};
  EXPECT_TRUE(set.Match(small));
  EXPECT_FALSE(set.Match(big));
  EXPECT_FALSE(set.Match(other));
  // The split used while listing: the name alone, then what a stat gives.
  EXPECT_TRUE(set.MatchName("b.jpg"));
  EXPECT_FALSE(set.MatchName("b.png"));
  EXPECT_TRUE(set.MatchInfo(other));  // the name is not asked again
  EXPECT_FALSE(set.MatchInfo(big));

  EXPECT_EQ(set.LoadFrom(nullptr, clock), 0);
  EXPECT_TRUE(set.Match(other));
}

}  // namespace
}  // namespace tf
