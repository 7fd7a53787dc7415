// The parts of twinfold-cli that need no search: options, sort orders and the writers.
#include <gtest/gtest.h>

#include <cstdint>

#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/descriptor_builder.h"
#include "cli/output_sink.h"
#include "results/csv_writer.h"
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
       std::vector<std::vector<std::string>>{{"--bogus", "/tmp"},
                                             {"--preset", "all"},
                                             {"--symbols", "4"},
                                             {"--symbols", "11"},
                                             {"--min-size", "-1K"},
                                             {"--min-size", "5T"},
                                             {"--max-size", "99999999999"},
                                             {"--time-filter", "yesterday"},
                                             {"--time-filter", "after:2024-02-30"},
                                             {"--time-filter", "last:0d"},
                                             {"--attr", "+hiden"},
                                             {"--attr", ""},
                                             {"--format", "xml"},
                                             {"--sort", "colour"},
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

TEST(CliOptions, ReadsValuesInBothSpellingsAndKeepsFolderLikeArguments) {
  CliOptions o;
  std::string error;
  ASSERT_TRUE(parse({"--min-size=10MB", "--max-size", "2g", "--attr", "+hidden,-system", "--attr",
                     "readonly=any", "--time-filter", "last:3w", "--include", "",
                     "--one-thread-per-disk", "-", "--", "--reverse", "a b"},
                    &o, &error))
      << error;
  EXPECT_EQ(o.minSize->value, 10);
  EXPECT_EQ(o.minSize->units, 1);
  EXPECT_EQ(o.maxSize->value, 2);
  EXPECT_EQ(o.maxSize->units, 2);
  EXPECT_EQ(o.attrRules[2], 1);
  EXPECT_EQ(o.attrRules[3], 2);
  EXPECT_EQ(o.attrRules[0], 0);
  EXPECT_FALSE(o.attrRules[1].has_value());
  EXPECT_EQ(o.timeFilter->choice, 3);
  EXPECT_EQ(o.timeFilter->prevValue, 3);
  EXPECT_EQ(o.timeFilter->prevUnits, 1);
  EXPECT_EQ(*o.includeMasks, "");
  EXPECT_TRUE(o.oneThreadPerDisk);
  EXPECT_FALSE(o.reverse);  // after "--" it is a folder
  EXPECT_EQ(o.folders, (std::vector<std::string>{"-", "--reverse", "a b"}));
}

TEST(CliOptions, BetweenDatesBecomeLocalDaysInOrderGiven) {
  CliOptions o;
  std::string error;
  ASSERT_TRUE(parse({"--time-filter", "between:2024-03-10:2024-03-01"}, &o, &error)) << error;
  EXPECT_EQ(o.timeFilter->choice, 4);
  EXPECT_EQ(o.timeFilter->dateMode, 2);
  // The filter itself puts the dates in order; the descriptor keeps them as given.
  EXPECT_GT(o.timeFilter->date1, o.timeFilter->date2);
}

int attr(DataNode* node, const char* name) {
  return node->attrs.ValueOf(name).AsInt();
}

TEST(DescriptorBuilder, StoresOptionsAsTheEditorsWould) {
  CliOptions o;
  std::string error;
  ASSERT_TRUE(parse({"--preset", "versions", "--symbols", "7", "--min-size", "10M", "--max-size",
                     "1G", "--time-filter", "before:2020-05-01", "--time-of", "created", "--attr",
                     "-hidden", "--exclude-masks", "*.tmp"},
                    &o, &error))
      << error;
  NodePtr descriptor = DescriptorBuilder::NewDescriptor();
  ASSERT_TRUE(descriptor);
  DescriptorBuilder::ApplyCriteria(o, descriptor.get());
  DataNode* settings = FindChild(descriptor.get(), "settings");
  // The preset first, then N, which (as on the criteria page) selects first-N names.
  EXPECT_EQ(attr(settings, "name"), 2);
  EXPECT_EQ(attr(settings, "symbols"), 7);
  EXPECT_EQ(attr(settings, "time"), 1);
  EXPECT_EQ(attr(settings, "size"), 1);
  DataNode* filters = FindChild(descriptor.get(), "filters");
  DataNode* size = FindChild(filters, "filter_size");
  EXPECT_EQ(size->val, 1);
  EXPECT_EQ(attr(size, "switch"), 2);
  EXPECT_EQ(attr(size, "value1"), 10);
  EXPECT_EQ(attr(size, "units1"), 1);
  EXPECT_EQ(attr(size, "value2"), 1);
  EXPECT_EQ(attr(size, "units2"), 2);
  DataNode* time = FindChild(filters, "filter_time");
  EXPECT_EQ(time->val, 1);
  EXPECT_EQ(attr(time, "mode"), 1);
  EXPECT_EQ(attr(time, "switch"), 4);
  EXPECT_EQ(attr(time, "date_mode"), 1);
  DataNode* name = FindChild(filters, "filter_name");
  EXPECT_EQ(name->val, 1);
  EXPECT_STREQ(name->attrs.ValueOf("include").AsString(), "*.*");
  EXPECT_STREQ(name->attrs.ValueOf("exclude").AsString(), "*.tmp");
  DataNode* attrs = FindChild(filters, "filter_attr");
  EXPECT_EQ(attrs->val, 1);
  EXPECT_EQ(attr(attrs, "hidden"), 2);
  EXPECT_FALSE(attrs->attrs.ValueOf("system").IsSet());

  // An explicit name rule wins over the one that choosing N implies.
  CliOptions exact;
  ASSERT_TRUE(parse({"--symbols", "6", "--name", "exact"}, &exact, &error));
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
  EXPECT_EQ(listing(root, SortBy::kName, false),
            (V{"A.txt", "  /a/A.txt", "  /z/A.txt", "b.txt", "  /X/b.txt", "  /y/b.txt", "c",
               "  /p/c", "  /q/c", "  /r/c"}));
  // Reversed: only the groups turn round; the files of a group stay by path.
  EXPECT_EQ(listing(root, SortBy::kName, true)[0], "c");
  EXPECT_EQ(listing(root, SortBy::kName, true)[1], "  /p/c");
  // Totals 10, 10, 10: all equal, so by name in both directions; the files by size.
  EXPECT_EQ(listing(root, SortBy::kSize, false),
            (V{"A.txt", "  /a/A.txt", "  /z/A.txt", "b.txt", "  /X/b.txt", "  /y/b.txt", "c",
               "  /p/c", "  /q/c", "  /r/c"}));
  EXPECT_EQ(listing(root, SortBy::kSize, true),
            (V{"A.txt", "  /z/A.txt", "  /a/A.txt", "b.txt", "  /X/b.txt", "  /y/b.txt", "c",
               "  /r/c", "  /p/c", "  /q/c"}));
  EXPECT_EQ(listing(root, SortBy::kCount, false)[0], "c");
  EXPECT_EQ(listing(root, SortBy::kCount, true)[0], "A.txt");
  EXPECT_EQ(listing(root, SortBy::kCount, true)[1], "  /a/A.txt");
  EXPECT_EQ(listing(root, SortBy::kType, false)[0], "c");  // "?" < "txt"
  EXPECT_EQ(listing(root, SortBy::kType, true)[6], "c");
  const V byTime = listing(root, SortBy::kTime, false);
  EXPECT_EQ(byTime[1], "  /z/A.txt");  // newest first
  EXPECT_EQ(byTime[7], "  /p/c");      // equal times: by path
  const V byTimeReversed = listing(root, SortBy::kTime, true);
  EXPECT_EQ(byTimeReversed[0], "A.txt");  // the groups stay by name
  EXPECT_EQ(byTimeReversed[1], "  /a/A.txt");
  EXPECT_EQ(byTimeReversed[9], "  /q/c");  // equal times still by path
}

TEST(CsvWriter, QuotesOnlyWhatRfc4180Requires) {
  EXPECT_EQ(CsvField("plain name.txt"), "plain name.txt");
  EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
  EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(CsvField("line\nbreak"), "\"line\nbreak\"");
  EXPECT_EQ(CsvField("cr\r"), "\"cr\r\"");
  EXPECT_EQ(CsvField("caf\xE9"), "caf\xE9");
}

TEST(JsonText, ValidatesUtf8Strictly) {
  EXPECT_TRUE(IsValidUtf8("r\xC3\xA9sum\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80"));
  for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xC3",
                          "\xE6\x97", "\x80", "\xFF", "caf\xE9"})
    EXPECT_FALSE(IsValidUtf8(bad)) << bad;
}

TEST(JsonText, EscapesControlsAndReplacesBrokenBytes) {
  EXPECT_EQ(JsonQuoted("a\"b\\c\nd\te\x01\x7f"), "\"a\\\"b\\\\c\\nd\\te\\u0001\\u007f\"");
  EXPECT_EQ(JsonQuoted("caf\xE9!"), "\"caf\xEF\xBF\xBD!\"");
  EXPECT_EQ(JsonQuoted("\xE6\x97"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\"");
  EXPECT_EQ(Base64(""), "");
  EXPECT_EQ(Base64("f"), "Zg==");
  EXPECT_EQ(Base64("fo"), "Zm8=");
  EXPECT_EQ(Base64("foo"), "Zm9v");
  EXPECT_EQ(Base64("caf\xE9"), "Y2Fm6Q==");
}

TEST(JsonWriter, GivesExactBytesBesideReplacedText) {
  ResultTree tree;
  DataNode* g = tree.Group("caf\xE9.txt", "txt");
  tree.File(g, "/a/caf\xE9.txt", 1, 130000000000000000);
  tree.File(g, "/b \"q\"/caf\xE9.txt", 1, -1);
  OutputSink sink(nullptr);
  ASSERT_TRUE(WriteJson(SortedGroupsWithFiles(tree.Root(), kSortByName, kSortByName), 2, &sink));
  const std::string& out = sink.Collected();
  EXPECT_NE(out.find("\"key\":\"caf\xEF\xBF\xBD.txt\",\"key_base64\":\"Y2Fm6S50eHQ=\""),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("\"path\":\"/b \\\"q\\\"/caf\xEF\xBF\xBD.txt\""), std::string::npos);
  EXPECT_NE(out.find("\"modified\":130000000000000000"), std::string::npos);
  EXPECT_NE(out.find("\"modified\":-1}"), std::string::npos);
  EXPECT_TRUE(out.ends_with("\n],\"files\":2}\n")) << out;

  OutputSink empty(nullptr);
  ASSERT_TRUE(WriteJson({}, 0, &empty));
  EXPECT_EQ(empty.Collected(), "{\"groups\":[],\"files\":0}\n");
}

}  // namespace
}  // namespace tf
