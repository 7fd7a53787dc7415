// The main window's command table, the frame's size rule and the choice of help file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

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
      // The key the menu shows after the tab is the key that works ("Ctrl-S" for Ctrl+S).
      std::string shown = entry.text;
      const size_t tab = shown.find('\t');
      shown = tab == std::string::npos ? std::string() : shown.substr(tab + 1);
      for (char& c : shown)
        if (c == '-') c = '+';
      EXPECT_EQ(shown, entry.keys) << entry.text;
    }
  }
  EXPECT_EQ(ids.size(), 10u);
  // "&Load masks" follows the last entry of "&Settings".
  EXPECT_EQ(MainMenus()[1].entries.size(), static_cast<size_t>(kLoadMasksPosition));
  EXPECT_EQ(kLastLoadMasksCommand - kFirstLoadMasksCommand, kMaxCollectionFiles);
}

TEST(MainCommands, FrameSizeFollowsCaptionAndWorkArea) {
  struct Case {
    int caption, areaWidth, areaHeight, width, height;
  };
  for (const Case& c : {Case{20, 1920, 1080, 800, 594}, Case{21, 1920, 1080, 1060, 748},
                        Case{21, 1024, 740, 1024, 740}, Case{12, 640, 480, 640, 480},
                        Case{30, 1060, 748, 1060, 748}}) {
    const FramePlacement place = PlaceFrame(c.caption, 0, 0, c.areaWidth, c.areaHeight);
    EXPECT_EQ(place.width, c.width) << c.caption << " " << c.areaWidth;
    EXPECT_EQ(place.height, c.height) << c.caption << " " << c.areaHeight;
    EXPECT_EQ(place.x, c.areaWidth / 2 - c.width / 2);
    EXPECT_EQ(place.y, c.areaHeight / 2 - c.height / 2);
  }
  // A work area that does not start at the origin (a panel on the left or on top).
  const FramePlacement place = PlaceFrame(20, 64, 32, 1856, 1048);
  EXPECT_EQ(place.x, 64 + 928 - 400);
  EXPECT_EQ(place.y, 32 + 524 - 297);
}

TEST(MainCommands, HelpIndexIsTheFirstThatExists) {
  testing::TempTree tree;
  const std::string installed = tree.Path("share/help/tfhidx.htm");
  const std::string source = tree.File("data/help/tfhidx.htm");
  EXPECT_EQ(ChooseHelpIndex({installed, source}), source);
  tree.File("share/help/tfhidx.htm");
  EXPECT_EQ(ChooseHelpIndex({installed, source}), installed);
  EXPECT_EQ(ChooseHelpIndex({tree.Path("none.htm")}), tree.Path("none.htm"));
  EXPECT_EQ(ChooseHelpIndex({}), "");
}

// F1 on a desktop without an opener names what is missing instead of doing nothing.
TEST(MainCommands, HelpThatCannotBeShownSaysWhy) {
  testing::TempTree tree;
  const std::string index = tree.File("share/help/tfhidx.htm");
  const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", tree.Path("empty-bin").c_str(), 1);
  testing::ScriptedQuestions questions;
  questions.answers = {IDOK};
  EXPECT_FALSE(OpenHelp(questions, {index}));
  setenv("PATH", savedPath.c_str(), 1);
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_EQ(questions.asked[0].text.rfind("Cannot show the help \"" + index + "\".", 0), 0u)
      << questions.asked[0].text;
  EXPECT_NE(questions.asked[0].text.find("xdg-utils"), std::string::npos);
}

}  // namespace
}  // namespace tf
