#include <gtest/gtest.h>

#include "app/recent_section.h"
#include "results/recent_list.h"
#include "settings/settings_store.h"
#include "tests/support/temp_tree.h"

namespace tf {
namespace {

TEST(RecentSettings, ListsRoundTripThroughTheSettingsFile) {
  testing::TempTree temp;
  const std::string dir = temp.root();
  ASSERT_FALSE(dir.empty());
  const std::string file = dir + "/twinfold.dat";
  const std::vector<std::string> typed = {
      "*.txt", "<*>.log", "say \"cheese\"*", "a&b", "&#60;", "/media/Ü\xFF/folder with spaces",
      "*.TXT"};  // the last one is the first again, in other case
  {
    SettingsStore store;
    ASSERT_EQ(store.SetDefaults({file, dir + "/Backup"}), 1);
    RecentList masks, folders;
    masks.Bind(RecentSection(&store, kRecentMasksInclude), nullptr);
    folders.Bind(RecentSection(&store, kRecentFoldersInclude), nullptr);
    folders.root()->val = 2;
    folders.Bind(folders.root(), nullptr);
    for (const std::string& text : typed) {
      masks.AddText(text);
      folders.AddText(text);
    }
    EXPECT_EQ(RecentSection(&store, kRecentMasksInclude), masks.root());
    ASSERT_EQ(store.Save(), 1);
  }
  SettingsStore loaded;
  ASSERT_EQ(loaded.Load(file), 1);
  RecentList masks, folders;
  masks.Bind(RecentSection(&loaded, kRecentMasksInclude), nullptr);
  folders.Bind(RecentSection(&loaded, kRecentFoldersInclude), nullptr);
  EXPECT_EQ(masks.capacity(), 15);
  EXPECT_EQ(folders.capacity(), 2);
  EXPECT_EQ(masks.MenuTexts(),
            (std::vector<std::string>{"*.txt", "/media/Ü\xFF/folder with spaces", "&#60;", "a&b",
                                      "say \"cheese\"*", "<*>.log"}));
  EXPECT_EQ(folders.MenuTexts(),
            (std::vector<std::string>{"*.TXT", "/media/Ü\xFF/folder with spaces"}));
  EXPECT_EQ(masks.IndexOfText("<*>.LOG"), 5);
  // Names that are no list of their own are refused rather than reaching other options.
  EXPECT_EQ(RecentSection(&loaded, ""), nullptr);
  EXPECT_EQ(RecentSection(&loaded, "x:y"), nullptr);
  EXPECT_EQ(RecentSection(nullptr, kRecentMasksExclude), nullptr);
}

}  // namespace
}  // namespace tf
