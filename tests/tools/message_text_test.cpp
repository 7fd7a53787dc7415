#include "app/message_text.h"

#include <gtest/gtest.h>

namespace tf {
namespace {

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
