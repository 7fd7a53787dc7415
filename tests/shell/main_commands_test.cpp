// The main window's command table, the frame's place and the help file.
#include <gtest/gtest.h>

#include <array>
#include <set>

#include "app/main_commands.h"
#include "scan/collection_files.h"
#include "shell_support.h"
#include "tests/support/scripted_questions.h"

namespace tf {
namespace {

TEST(MainCommands, EveryCommandOnceAndItsKeysAsShown) {
  std::set<int> ids;
  for (const MenuDefinition& menu : MainMenus()) {
    for (const MenuEntry& entry : menu.entries) {
      if (entry.id == 0) continue;
      EXPECT_TRUE(ids.insert(entry.id).second) << entry.text;
      EXPECT_FALSE(entry.id >= kFirstLoadMasksCommand && entry.id <= kLastLoadMasksCommand);
      std::string shown = entry.text;
      const size_t tab = shown.find('\t');
      shown = tab == std::string::npos ? std::string() : shown.substr(tab + 1);
      for (char& c : shown)
        if (c == '-') c = '+';
      EXPECT_EQ(shown, entry.keys) << entry.text;
    }
  }
}

TEST(MainCommands, FrameFitsTheWorkAreaAndIsCentredInIt) {
  for (int caption : {12, 30}) {
    for (const auto& [x, y, width, height] : {std::array<int, 4>{0, 0, 1920, 1080},
                                              {64, 32, 1856, 1048},
                                              {0, 0, 640, 480},
                                              {10, 0, 1024, 740}}) {
      const FramePlacement place = PlaceFrame(caption, x, y, width, height);
      EXPECT_GE(place.x, x);
      EXPECT_GE(place.y, y);
      EXPECT_LE(place.x + place.width, x + width);
      EXPECT_LE(place.y + place.height, y + height);
      EXPECT_LE(std::abs((place.x - x) - (x + width - place.x - place.width)), 1) << width;
      EXPECT_LE(std::abs((place.y - y) - (y + height - place.y - place.height)), 1) << height;
    }
  }
}

// F1 on a desktop without an opener names what is missing instead of doing nothing.
TEST(MainCommands, HelpIsTheFirstIndexThatExistsOrSaysWhyNot) {
  testing::TempTree tree;
  const std::string installed = tree.Path("share/help/tfhidx.htm");
  const std::string source = tree.File("data/help/tfhidx.htm");
  EXPECT_EQ(ChooseHelpIndex({installed, source}), source);
  tree.File("share/help/tfhidx.htm");
  EXPECT_EQ(ChooseHelpIndex({installed, source}), installed);
  EXPECT_EQ(ChooseHelpIndex({}), "");

  const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", tree.Path("empty-bin").c_str(), 1);
  testing::ScriptedQuestions questions;
  questions.answers = {IDOK};
  EXPECT_FALSE(OpenHelp(questions, {installed}));
  setenv("PATH", savedPath.c_str(), 1);
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_EQ(questions.asked[0].text.rfind("Cannot show the help \"" + installed + "\".", 0), 0u)
      << questions.asked[0].text;
  EXPECT_NE(questions.asked[0].text.find("xdg-utils"), std::string::npos);
}

}  // namespace
}  // namespace tf
