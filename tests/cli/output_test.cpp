// The parts of twinfold-cli that need no search.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/descriptor_builder.h"
#include "cli/output_sink.h"
#include "cli/terminal_text.h"
#include "cli/text_writer.h"
#include "datatree/node_ptr.h"
#include "results/json_text.h"
#include "results/json_writer.h"
#include "results/result_rows.h"
#include "results/results_file.h"
#include "scan/folder_list.h"

namespace tf {
namespace {

bool parse(std::vector<std::string> args, CliOptions* options, std::string* error) {
  args.insert(args.begin(), "twinfold-cli");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  return ParseCliOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

TEST(CliOptions, RefusesWhatCannotBeMeantAndTakesFoldersAfterTwoDashes) {
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
  CliOptions options;
  std::string error;
  ASSERT_TRUE(parse({"-", "--", "--reverse", "a b"}, &options, &error)) << error;
  EXPECT_FALSE(options.reverse);
  EXPECT_EQ(options.folders, (std::vector<std::string>{"-", "--reverse", "a b"}));
}

TEST(JsonText, ValidatesUtf8StrictlyAndEscapesControls) {
  EXPECT_TRUE(IsValidUtf8("r\xC3\xA9sum\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80"));
  for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                          "\xE6\x97", "\x80", "caf\xE9"})
    EXPECT_FALSE(IsValidUtf8(bad)) << bad;
  EXPECT_EQ(JsonQuoted("a\"b\\c\nd\x01\x7f"), "\"a\\\"b\\\\c\\nd\\u0001\\u007f\"");
  EXPECT_EQ(JsonQuoted("\xE6\x97"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\"");
  OutputSink empty(nullptr);
  ASSERT_TRUE(WriteJson({}, 0, &empty));
  EXPECT_EQ(empty.Collected(), "{\"groups\":[],\"files\":0}\n");
}

// A result of the names a file system allows and JSON does not: each group is its key and
// the paths of its files, all of one size.
NodePtr resultOf(const std::vector<std::vector<std::string>>& groups) {
  NodePtr root(CreateNode(nullptr, "Duplicate files results", ATTACH_ROOT));
  for (const auto& group : groups) {
    DataNode* node = CreateNode(root.get(), group[0].c_str(), ATTACH_LAST_CHILD);
    node->kind = 1;
    for (size_t i = 1; i < group.size(); ++i) {
      DataNode* file = CreateNode(node, group[i].c_str(), ATTACH_LAST_CHILD);
      file->val = 7;
      file->val2 = 133444736000000000 + static_cast<int64_t>(i);
      node->val += 7;
      ++node->val2;
    }
  }
  return root;
}

std::string resultsText(const DataNode* root, const DataNode* descriptor) {
  OutputSink sink(nullptr);
  ResultsHeader header{"twinfold 0.1.0", 133444736000000000, descriptor};
  const auto rows = SortedGroupsWithFiles(root, kSortByName, kSortByName);
  EXPECT_TRUE(WriteJson(rows, 4, &sink, {}, &header));
  return sink.Collected();
}

std::string readBack(const std::string& text, LoadedResults* loaded) {
  std::string error;
  return ParseResults(text, loaded, &error) ? WhyResultsUntrusted(*loaded) : "unread: " + error;
}

TEST(ResultsFile, ReadsBackItsOwnBytesAndRefusesWhatItDidNotWrite) {
  NodePtr descriptor = DescriptorBuilder::NewDescriptor();
  AddInclude(descriptor.get(), "/r");
  AddExclude(descriptor.get(), "/r/skip");
  const std::string odd =
      "say \"hi\"\n\x01"
      "caf\xE9 <\xF0\x9F\x98\x80>.txt";
  NodePtr result =
      resultOf({{odd, "/r/a/" + odd, "/r/b/" + odd}, {"x.txt", "/r/x.txt", "/r/c/x.txt"}});
  const std::string text = resultsText(result.get(), descriptor.get());
  LoadedResults loaded;
  ASSERT_EQ(readBack(text, &loaded), "");
  EXPECT_EQ(loaded.files, 4);
  std::vector<std::string> paths;
  for (const DataNode* g = loaded.root->FirstChild(); g; g = g->Next())
    for (const DataNode* f = g->FirstChild(); f; f = f->Next())
      paths.push_back(std::string(g->Name()) + "|" + FullName(f) + "|" + std::to_string(f->val2));
  EXPECT_EQ(paths, (std::vector<std::string>{odd + "|/r/a/" + odd + "|133444736000000001",
                                             odd + "|/r/b/" + odd + "|133444736000000002",
                                             "x.txt|/r/c/x.txt|133444736000000002",
                                             "x.txt|/r/x.txt|133444736000000001"}));
  EXPECT_EQ(IncludePaths(loaded.descriptor.get()), std::vector<std::string>{"/r"});

  // Every cut-off text is refused, never half read.
  for (size_t cut = 0; cut < text.size() - 1; ++cut)
    ASSERT_EQ(readBack(text.substr(0, cut), &loaded).rfind("unread: not a results file", 0), 0u)
        << cut;
  EXPECT_EQ(readBack("{\"groups\":" + std::string(100000, '['), &loaded).rfind("unread:", 0), 0u);
  for (const auto& [groups, reason] :
       std::vector<std::pair<std::vector<std::vector<std::string>>, std::string>>{
           {{{"x.txt", "/r/x.txt", "/r/skip/x.txt"}},
            "/r/skip/x.txt: in a folder the search left out"},
           {{{"x.txt", "/r/x.txt", "/r/x.txt"}}, "/r/x.txt: listed twice"},
           {{{"x.txt", "/r/x.txt", "/r//x.txt"}}, "/r//x.txt: not a plain absolute path"},
           {{{"x.txt", "/r/x.txt", "/rx/x.txt"}},
            "/rx/x.txt: outside the folders that were searched"},
           {{{"X.txt", "/r/x.txt", "/r/X.txt"}},
            "/r/x.txt: its name does not belong to the group"}}) {
    EXPECT_EQ(
        readBack(resultsText(resultOf(groups).get(), descriptor.get()), &loaded).rfind(reason, 0),
        0u)
        << reason;
  }
  // Escapes another writer may use: a pair of surrogates, and a lone one as U+FFFD.
  std::string other = text;
  other.replace(other.find("x.txt"), 1, "\\ud83d\\ude00\\udc00");
  ASSERT_EQ(readBack(other, &loaded).rfind("/r/c/x.txt: its name", 0), 0u);
  EXPECT_EQ(std::string(loaded.root->FirstChild()->Next()->Name()),
            "\xF0\x9F\x98\x80\xEF\xBF\xBD.txt");
}

// Well-formed UTF-8 without a C0, DEL or C1 control character.
bool safeForTerminal(const std::string& shown) {
  if (!IsValidUtf8(shown)) return false;
  for (size_t i = 0; i < shown.size(); ++i) {
    const auto byte = static_cast<unsigned char>(shown[i]);
    if (byte < 0x20 || byte == 0x7F) return false;
    if (byte == 0xC2 && i + 1 < shown.size() && static_cast<unsigned char>(shown[i + 1]) < 0xA0)
      return false;
  }
  return true;
}

TEST(TerminalTextTest, NoByteSequenceReachesTheTerminalRaw) {
  for (int first = 0; first < 256; ++first) {
    const std::string one(1, static_cast<char>(first));
    EXPECT_TRUE(safeForTerminal(TerminalText(one))) << first;
    for (int second = 0; second < 256; ++second) {
      const std::string two = one + static_cast<char>(second);
      ASSERT_TRUE(safeForTerminal(TerminalText(two))) << first << " " << second;
      ASSERT_TRUE(safeForTerminal(TerminalText(two + "\x80"))) << first << " " << second;
    }
  }
  // Each byte escaped shows; a name that spells an escape differs from one holding the byte.
  EXPECT_EQ(TerminalText("Résumé – 日本 😀.txt"), "Résumé – 日本 😀.txt");
  EXPECT_EQ(TerminalText("\xc2\x9b[2J\xe6\x97 caf\xe9"), "\\xc2\\x9b[2J\\xe6\\x97 caf\\xe9");
  EXPECT_EQ(TerminalText("a\\x1b"), "a\\\\x1b");
}

// A big result's lines are made by two threads, block by block: they come out whole and in
// order, each group's files sorted, as when the groups are written a few at a time; one
// group of many files among them too; a sink that fails ends the writing.
TEST(TextWriter, ABigResultComesOutInOrderAndAFailingSinkEndsIt) {
  NodePtr root(CreateNode(nullptr, "Duplicate files results", ATTACH_ROOT));
  for (int g = 0; g < 12000; ++g) {
    DataNode* group =
        CreateNode(root.get(), ("name " + std::to_string(g)).c_str(), ATTACH_LAST_CHILD);
    group->kind = 1;
    const int files = g == 5000 ? 9000 : 2 + g % 2;
    group->val2 = files;
    for (int f = files - 1; f >= 0; --f) {  // last path first
      const std::string path = "/d" + std::to_string(f) + "/name " + std::to_string(g);
      DataNode* file = CreateNode(group, path.c_str(), ATTACH_LAST_CHILD);
      file->val = g;
      file->val2 = int64_t{g} * 10000000 * 3600;
      group->val += g;
    }
  }
  const std::vector<DataNode*> groups = SortedGroups(root.get(), kSortByName);
  OutputSink whole(nullptr);
  ASSERT_TRUE(WriteText(groups, kSortByName, "end", &whole));
  std::string pieces;
  for (size_t from = 0; from < groups.size(); from += 100) {
    OutputSink piece(nullptr);
    const std::vector<DataNode*> some(groups.begin() + from,
                                      groups.begin() + std::min(groups.size(), from + 100));
    ASSERT_TRUE(WriteText(some, kSortByName, "", &piece));
    pieces += piece.Collected().substr(0, piece.Collected().size() - 1);  // its empty status
  }
  EXPECT_EQ(whole.Collected(), pieces + "end\n");
  const size_t group = whole.Collected().find("\nname 11001  ");
  ASSERT_NE(group, std::string::npos);
  const size_t first = whole.Collected().find('\n', group + 1) + 1;
  EXPECT_EQ(whole.Collected().compare(first, 16, "  /d0/name 11001"), 0);
  const size_t second = whole.Collected().find('\n', first) + 1;
  EXPECT_EQ(whole.Collected().compare(second, 16, "  /d1/name 11001"), 0);

  std::FILE* full = std::fopen("/dev/full", "w");
  ASSERT_NE(full, nullptr);
  OutputSink failing(full);
  EXPECT_FALSE(WriteText(groups, kSortByName, "end", &failing) && failing.Finish());
  EXPECT_TRUE(failing.Failed());
  std::fclose(full);
}

}  // namespace
}  // namespace tf
