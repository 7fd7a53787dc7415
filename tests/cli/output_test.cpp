// The parts of twinfold-cli that need no search: options, sort orders and JSON texts.
#include <gtest/gtest.h>

#include <cstdint>

#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/descriptor_builder.h"
#include "cli/output_sink.h"
#include "results/json_text.h"
#include "results/json_writer.h"
#include "results/result_rows.h"

namespace tf {
namespace {

bool parse(std::vector<std::string> args, CliOptions* options, std::string* error) {
  args.insert(args.begin(), "twinfold-cli");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  return ParseCliOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

TEST(CliOptions, RefusesWhatCannotBeMeant) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--symbols", "4"},
                                             {"--min-size", "5T"},
                                             {"--max-size", "99999999999"},
                                             {"--time-filter", "after:2024-02-30"},
                                             {"--time-filter", "last:0d"},
                                             {"--attr", "+hiden"},
                                             {"--exclude"},
                                             {"--reverse=yes"},
                                             {"--descriptor="}}) {
    CliOptions options;
    std::string error;
    EXPECT_FALSE(parse(args, &options, &error)) << args[0];
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(error.find('\n'), std::string::npos);
  }
}

int attr(DataNode* node, const char* name) {
  return node->attrs.ValueOf(name).AsInt();
}

// The options, in both spellings, reach the descriptor as the editors would store them;
// after "--" everything is a folder.
TEST(DescriptorBuilder, StoresOptionsAsTheEditorsWould) {
  CliOptions o;
  std::string error;
  ASSERT_TRUE(parse({"--preset",
                     "versions",
                     "--symbols",
                     "7",
                     "--min-size=10M",
                     "--max-size",
                     "1g",
                     "--time-filter",
                     "before:2020-05-01",
                     "--time-of",
                     "created",
                     "--attr",
                     "-hidden",
                     "--attr",
                     "readonly=any",
                     "--exclude-masks",
                     "*.tmp",
                     "-",
                     "--",
                     "--reverse",
                     "a b"},
                    &o, &error))
      << error;
  EXPECT_FALSE(o.reverse);
  EXPECT_EQ(o.folders, (std::vector<std::string>{"-", "--reverse", "a b"}));
  NodePtr descriptor = DescriptorBuilder::NewDescriptor();
  ASSERT_TRUE(descriptor);
  DescriptorBuilder::ApplyCriteria(o, descriptor.get());
  DataNode* settings = FindChild(descriptor.get(), "settings");
  // The preset first, then N, which (as on the criteria page) selects first-N names.
  EXPECT_EQ(attr(settings, "name") * 10 + attr(settings, "symbols"), 27);
  DataNode* filters = FindChild(descriptor.get(), "filters");
  DataNode* size = FindChild(filters, "filter_size");
  EXPECT_EQ(size->val, 1);
  EXPECT_EQ(attr(size, "value1") * 100 + attr(size, "units1") * 10 + attr(size, "switch"), 1012);
  EXPECT_EQ(attr(size, "value2") * 10 + attr(size, "units2"), 12);
  DataNode* time = FindChild(filters, "filter_time");
  EXPECT_EQ(time->val, 1);
  EXPECT_EQ(attr(time, "mode"), 1);
  EXPECT_EQ(attr(time, "switch"), 4);
  DataNode* name = FindChild(filters, "filter_name");
  EXPECT_EQ(name->val, 1);
  EXPECT_STREQ(name->attrs.ValueOf("exclude").AsString(), "*.tmp");
  DataNode* attrs = FindChild(filters, "filter_attr");
  EXPECT_EQ(attrs->val, 1);
  EXPECT_EQ(attr(attrs, "hidden"), 2);
  EXPECT_FALSE(attrs->attrs.ValueOf("system").IsSet());

  // An explicit name rule wins over the one that choosing N implies; dates between two
  // days are kept as given (the filter itself puts them in order).
  CliOptions exact;
  ASSERT_TRUE(
      parse({"--symbols", "6", "--name", "exact", "--time-filter", "between:2024-03-10:2024-03-01"},
            &exact, &error));
  EXPECT_GT(exact.timeFilter->date1, exact.timeFilter->date2);
  NodePtr second = DescriptorBuilder::NewDescriptor();
  DescriptorBuilder::ApplyCriteria(exact, second.get());
  EXPECT_EQ(attr(FindChild(second.get(), "settings"), "name"), 0);
}

// A result tree as the grouping leaves it: groups of kind 1 with their totals.
class ResultTree {
 public:
  ResultTree() : m_root(CreateNode(nullptr, "Duplicate files results", ATTACH_ROOT)) {}
  DataNode* Group(const char* key, const char* type) {
    DataNode* group = CreateNode(m_root.get(), key, ATTACH_LAST_CHILD);
    SetDesc(group, type);
    group->kind = 1;
    return group;
  }
  void File(DataNode* group, const std::string& path, int64_t size, int64_t time) {
    DataNode* file = CreateNode(group, path.c_str(), ATTACH_LAST_CHILD);
    file->val = size;
    file->val2 = time;
    group->val += size;
    group->val2 += 1;
    m_root->val2 += 1;
  }
  DataNode* Root() { return m_root.get(); }

 private:
  NodePtr m_root;
};

// The listing of `--sort key [--reverse]`: group names, and file paths indented.
std::vector<std::string> listing(const DataNode* root, SortBy key, bool reverse) {
  const ListKeys keys = ListKeysFor(key, reverse);
  std::vector<std::string> out;
  for (const DataNode* row : SortedGroupsWithFiles(root, keys.groups, keys.files))
    out.push_back(IsGroupRow(row) ? row->Name() : "  " + std::string(row->Name()));
  return out;
}

TEST(SortOption, ReversesOnlyWhatTheOrderIsAbout) {
  ResultTree tree;
  DataNode* b = tree.Group("b.txt", "txt");
  tree.File(b, "/y/b.txt", 5, 1);
  tree.File(b, "/X/b.txt", 5, 2);
  DataNode* a = tree.Group("A.txt", "txt");
  tree.File(a, "/z/A.txt", 3, 9);
  tree.File(a, "/a/A.txt", 7, 1);
  DataNode* c = tree.Group("c", "?");
  tree.File(c, "/q/c", 4, 5);
  tree.File(c, "/p/c", 4, 5);
  tree.File(c, "/r/c", 2, 0);

  using V = std::vector<std::string>;
  const DataNode* root = tree.Root();
  const V byName = {"A.txt",      "  /a/A.txt", "  /z/A.txt", "b.txt",  "  /X/b.txt",
                    "  /y/b.txt", "c",          "  /p/c",     "  /q/c", "  /r/c"};
  EXPECT_EQ(listing(root, SortBy::kName, false), byName);
  // Reversed by name: only the groups turn round; the files of a group stay by path.
  EXPECT_EQ(listing(root, SortBy::kName, true),
            (V{"c", "  /p/c", "  /q/c", "  /r/c", "b.txt", "  /X/b.txt", "  /y/b.txt", "A.txt",
               "  /a/A.txt", "  /z/A.txt"}));
  // Equal totals: the groups stay by name; the files go by size, and turn round too.
  EXPECT_EQ(listing(root, SortBy::kSize, true),
            (V{"A.txt", "  /z/A.txt", "  /a/A.txt", "b.txt", "  /X/b.txt", "  /y/b.txt", "c",
               "  /r/c", "  /p/c", "  /q/c"}));
  // By time the newest file first, equal times by path, and the groups by name.
  const V byTime = listing(root, SortBy::kTime, false);
  EXPECT_EQ(byTime[0] + byTime[1] + byTime[7], "A.txt  /z/A.txt  /p/c");
}

// Strict UTF-8: overlong forms, surrogates, values past U+10FFFF and cut sequences are
// replaced in the text, whose bytes the base64 field keeps.
TEST(JsonText, ValidatesUtf8StrictlyAndEscapesControls) {
  EXPECT_TRUE(IsValidUtf8("r\xC3\xA9sum\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80"));
  for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                          "\xE6\x97", "\x80", "caf\xE9"})
    EXPECT_FALSE(IsValidUtf8(bad)) << bad;
  EXPECT_EQ(JsonQuoted("a\"b\\c\nd\x01\x7f"), "\"a\\\"b\\\\c\\nd\\u0001\\u007f\"");
  EXPECT_EQ(JsonQuoted("\xE6\x97"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\"");
  EXPECT_EQ(Base64("f"), "Zg==");
  EXPECT_EQ(Base64("caf\xE9"), "Y2Fm6Q==");
  OutputSink empty(nullptr);
  ASSERT_TRUE(WriteJson({}, 0, &empty));
  EXPECT_EQ(empty.Collected(), "{\"groups\":[],\"files\":0}\n");
}

}  // namespace
}  // namespace tf
