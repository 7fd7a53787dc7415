#include <gtest/gtest.h>

#include "app/message_text.h"
#include "app/registered_tool.h"

namespace tf {
namespace {

using Args = std::vector<std::string>;

ToolMacroContext contextFor(const Args& files) {
  return ToolMacroContext{files, "/usr/bin", "/usr/bin", "/tmp/"};
}

TEST(ToolMacros, ExpandInsideEachArgumentAndNeverTwice) {
  Args files = {"/data/x.txt", "/other/dir/y.tar.gz"};
  for (int i = 3; i <= 12; ++i) files.push_back("/f" + std::to_string(i));
  const auto context = contextFor(files);
  EXPECT_EQ(ExpandToolArguments({"%d1", "%n1", "%2", "%w/ed", "%s", "%tout", "--x=%f1"}, context),
            (Args{"/data/", "x.txt", "/other/dir/y.tar.gz", "/usr/bin/ed", "/usr/bin", "/tmp/out",
                  "--x=/data/x.txt"}));
  EXPECT_EQ(
      ExpandToolArguments({"%f12", "%f01", "[%f99999999999999999]", "100%", "a%%n1"}, context),
      (Args{"/f12", "/data/x.txt", "[]", "100%", "a%x.txt"}));
  // A numbered macro without a number ends the expansion for the rest of the line.
  EXPECT_EQ(ExpandToolArguments({"%n1", "x%f0y%f2", "%f2"}, context),
            (Args{"x.txt", "x%f0y%f2", "%f2"}));

  // What a macro brings in is never expanded again.
  const auto folder = contextFor({"/data/sub/x.txt", "/b%w/y"});
  EXPECT_EQ(ExpandToolDirectory("%t%w", folder), "/tmp/%w");
  EXPECT_EQ(ExpandToolDirectory("%d2", folder), "/b%w/");
  EXPECT_EQ(ExpandToolDirectory("%d1/%d1/%d12", folder), "/data/sub///data/sub//%d12");
}

// Columns are characters, not UTF-8 bytes.

TEST(MessageText, CentresShortMessagesIn80Columns) {
  const std::string pad(38, ' ');
  EXPECT_EQ(PrepareMessageText("caf\xC3\xA9\ncd\n"), pad + "caf\xC3\xA9" + pad + "\ncd\n");
  const std::string line76(76, 'x');
  EXPECT_EQ(PrepareMessageText("short\n" + line76 + "\nend"), "short\n" + line76 + "\nend");
}

}  // namespace
}  // namespace tf
