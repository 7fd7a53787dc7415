// The texts the tools and messages are made of: macros expanded into a tool's arguments and
// working folder, and messages centred for the message box.
#include <gtest/gtest.h>

#include "app/message_text.h"
#include "app/registered_tool.h"

namespace tf {
namespace {

using Args = std::vector<std::string>;

ToolMacroContext contextFor(const Args& files) {
  return ToolMacroContext{files, "/usr/bin", "/usr/bin", "/tmp/"};
}

TEST(ToolMacros, ExpandInsideEachArgument) {
  Args files = {"/data/x.txt", "/other/dir/y.tar.gz"};
  for (int i = 3; i <= 12; ++i) files.push_back("/f" + std::to_string(i));
  const auto context = contextFor(files);
  EXPECT_EQ(ExpandToolArguments({"%d1", "%n1", "%2", "%w/ed", "%s", "%tout", "--x=%f1"}, context),
            (Args{"/data/", "x.txt", "/other/dir/y.tar.gz", "/usr/bin/ed", "/usr/bin", "/tmp/out",
                  "--x=/data/x.txt"}));
  // Every digit belongs to the number; numbers past the list (however long) give "".
  EXPECT_EQ(
      ExpandToolArguments({"%f12", "%12x", "%f01", "[%f13]", "[%f99999999999999999]"}, context),
      (Args{"/f12", "/f12x", "/data/x.txt", "[]", "[]"}));
  // A '%' that starts no macro is an ordinary character.
  EXPECT_EQ(ExpandToolArguments({"100%", "%%", "%x%f1", "%0", "a%%n1"}, context),
            (Args{"100%", "%%", "%x/data/x.txt", "%0", "a%x.txt"}));
  // A numbered macro without a number ends the expansion for the rest of the line.
  EXPECT_EQ(ExpandToolArguments({"%n1", "x%f0y%f2", "%f2"}, context),
            (Args{"x.txt", "x%f0y%f2", "%f2"}));
  EXPECT_EQ(ExpandToolArguments({"%n1-%d", "%f1"}, context), (Args{"x.txt-%d", "%f1"}));
}

TEST(ToolMacros, WorkingDirectoryExpandsItsFirstMacroOnly) {
  const auto context = contextFor({"/data/sub/x.txt", "/b%w/y"});
  // What a macro brings in is never expanded again, nor is anything after the first.
  const std::pair<std::string, std::string> cases[] = {
      {"%t%w", "/tmp/%w"}, {"%d2", "/b%w/"}, {"%d1/%d1/%d12", "/data/sub///data/sub//%d12"},
      {"%f1", "%f1"},  // no meaning for a folder: used as written
      {"x%", "x%"},
  };
  for (const auto& [directory, expected] : cases)
    EXPECT_EQ(ExpandToolDirectory(directory, context), expected) << directory;
}

std::string blanks(int n) {
  return std::string(static_cast<size_t>(n), ' ');
}

// Columns are characters, not UTF-8 bytes, and only the first line moves; a message with
// any line of 76 characters or more is left as it is.
TEST(MessageText, CentresShortMessagesIn80Columns) {
  EXPECT_EQ(PrepareMessageText("caf\xC3\xA9\ncd\n"),
            blanks(38) + "caf\xC3\xA9" + blanks(38) + "\ncd\n");
  EXPECT_EQ(CountCharacters("a\xFF\xC3"), 3);  // stray bytes count one each
  EXPECT_EQ(PrepareMessageText(""), "");
  const std::string line75(75, 'x'), line76(76, 'x');
  EXPECT_EQ(PrepareMessageText(line75), blanks(2) + line75 + blanks(2));
  EXPECT_EQ(PrepareMessageText("short\n" + line76 + "\nend"), "short\n" + line76 + "\nend");
}

}  // namespace
}  // namespace tf
