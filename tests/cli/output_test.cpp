// The parts of twinfold-cli that need no search.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/output_sink.h"
#include "cli/terminal_text.h"
#include "results/json_text.h"
#include "results/json_writer.h"

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

}  // namespace
}  // namespace tf
