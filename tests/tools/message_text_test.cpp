#include "app/message_text.h"

#include <gtest/gtest.h>

#include "base/questions.h"

namespace tf {
namespace {

std::string blanks(int n) {
  return std::string(static_cast<size_t>(n), ' ');
}

TEST(MessageText, CentresShortMessagesIn80Columns) {
  EXPECT_EQ(PrepareMessageText("0123456789"), blanks(35) + "0123456789" + blanks(35));
  // Odd padding loses its lowest bit: 80 - 11 = 69 gives 34 on each side.
  EXPECT_EQ(PrepareMessageText("01234567890"), blanks(34) + "01234567890" + blanks(34));
  // Only the first line moves; columns are characters, not UTF-8 bytes.
  EXPECT_EQ(PrepareMessageText("caf\xC3\xA9\ncd\n"),
            blanks(38) + "caf\xC3\xA9" + blanks(38) + "\ncd\n");
  EXPECT_EQ(CountCharacters("a\xFF\xC3"), 3);  // stray bytes count one each
  EXPECT_EQ(PrepareMessageText(""), "");
  // From 76 characters on, in any line that ends with a line feed, nothing moves.
  const std::string line75(75, 'x'), line76(76, 'x');
  EXPECT_EQ(PrepareMessageText(line75), blanks(2) + line75 + blanks(2));
  EXPECT_EQ(PrepareMessageText(line76), line76);
  EXPECT_EQ(PrepareMessageText("short\n" + line76 + "\nend"), "short\n" + line76 + "\nend");
}

TEST(MessageText, ButtonSetsAnswerWithTheStandardCodes) {
  struct Case {
    int set;
    std::vector<std::string> labels;
    int first, second, no, close;
  };
  const Case cases[] = {
      {MB_OKCANCEL, {"OK", "Cancel"}, IDOK, IDCANCEL, 0, IDCANCEL},
      {MB_YESNOCANCEL, {"Yes", "No", "Cancel"}, IDYES, IDCANCEL, IDNO, IDCANCEL},
      {MB_YESNO, {"Yes", "No"}, IDYES, IDNO, 0, IDNO},
      {MB_OK, {"OK"}, 0, IDCANCEL, 0, IDCANCEL},
      {99, {"OK"}, 0, IDCANCEL, 0, IDCANCEL},
  };
  for (const Case& c : cases) {
    ButtonLayout layout = LayoutForButtonSet(c.set);
    std::vector<std::string> labels;
    for (const MessageButton& b : layout.buttons) labels.push_back(b.label);
    EXPECT_EQ(labels, c.labels) << c.set;
    EXPECT_EQ(ResultOfButton(c.set, kMessageButtonFirst), c.first) << c.set;
    EXPECT_EQ(ResultOfButton(c.set, kMessageButtonSecond), c.second) << c.set;
    EXPECT_EQ(ResultOfButton(c.set, kMessageButtonNo), c.no) << c.set;
    EXPECT_EQ(layout.closeResult, c.close) << c.set;
  }
}

}  // namespace
}  // namespace tf
