// What twinfold-cli writes to a terminal for names that hold control characters, C1
// controls or bytes that are not UTF-8.
#include <gtest/gtest.h>

#include <string>

#include "cli/terminal_text.h"
#include "results/json_text.h"

namespace tf {
namespace {

// True when `shown` could reach a terminal safely: well-formed UTF-8 without a C0, DEL or
// C1 control character.
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
  // Every one- and two-byte text, and each after a three-byte lead that would complete it.
  for (int first = 0; first < 256; ++first) {
    const std::string one(1, static_cast<char>(first));
    EXPECT_TRUE(safeForTerminal(TerminalText(one))) << first;
    for (int second = 0; second < 256; ++second) {
      const std::string two = one + static_cast<char>(second);
      ASSERT_TRUE(safeForTerminal(TerminalText(two))) << first << " " << second;
      ASSERT_TRUE(safeForTerminal(TerminalText(two + "\x80"))) << first << " " << second;
    }
  }
}

TEST(TerminalTextTest, EscapesShowEachByteAndOrdinaryNamesStay) {
  const struct {
    const char* name;
    const char* shown;
  } cases[] = {
      {"Résumé – 日本 😀.txt", "Résumé – 日本 😀.txt"},
      {"a\x1b]0;x\x07!", "a\\x1b]0;x\\x07!"},
      {"line\nbreak\ttab\rret\x7f", "line\\nbreak\\ttab\\rret\\x7f"},
      // A C1 control in UTF-8, a lead byte past the last one UTF-8 has, a cut sequence,
      // an overlong slash and a Latin-1 name.
      {"\xc2\x9b[2J", "\\xc2\\x9b[2J"},
      {"\xf8\x80\x80", "\\xf8\\x80\\x80"},
      {"\xe6\x97", "\\xe6\\x97"},
      {"\xc0\xaf", "\\xc0\\xaf"},
      {"caf\xe9.txt", "caf\\xe9.txt"},
      // A name that spells an escape reads differently from one that holds the byte.
      {"a\\x1b", "a\\\\x1b"},
  };
  for (const auto& c : cases) EXPECT_EQ(TerminalText(c.name), c.shown) << c.name;
}

}  // namespace
}  // namespace tf
