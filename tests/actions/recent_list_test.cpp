#include "results/recent_list.h"

#include <gtest/gtest.h>

#include "app/recent_section.h"
#include "settings/settings_store.h"
#include "tests/support/temp_tree.h"

namespace tf {
namespace {

using Texts = std::vector<std::string>;

TEST(RecentList, KeepsNewestFirstWithinTheCapacity) {
  RecentList list;
  list.Bind(nullptr, nullptr);
  for (int i = 1; i <= 16; ++i) EXPECT_EQ(list.AddText("*.t" + std::to_string(i)), 1);
  ASSERT_EQ(list.MenuTexts().size(), 15u);
  EXPECT_EQ(list.MenuTexts().back(), "*.t2");  // the oldest went
  EXPECT_EQ(list.AddText("*.T5"), 0);
  EXPECT_EQ(list.MenuTexts().front(), "*.t5");
  EXPECT_EQ(list.AddText(""), 0);

  DataNode* section = CreateNode(nullptr, "scanfolders_inc", ATTACH_ROOT);
  section->val = 3;
  for (const char* old : {"/o1", "/o2", "/o3", "/o4"})
    SetDesc(CreateNode(section, old, ATTACH_LAST_CHILD), old);
  list.Bind(section, "ignored");
  list.AddText("/new");
  EXPECT_EQ(list.MenuTexts(), (Texts{"/new", "/o1", "/o2"}));
  list.Bind(nullptr, nullptr);  // a bound node is not the list's to delete
  EXPECT_STREQ(section->FirstChild()->Desc(), "/new");
  DeleteNode(section);
}

// Entities stored by earlier versions come back as typed too.
TEST(RecentList, OddTextsRoundTripThroughTheSettingsFile) {
  testing::TempTree temp;
  const std::string file = temp.Path("twinfold.dat");
  const Texts typed = {"*.txt", "<*>.log", "say \"cheese\"*",
                       "a&b",   "&#60;",   "/media/Ü\xFF/folder with spaces",
                       "*.TXT"};
  {
    SettingsStore store;
    ASSERT_EQ(store.SetDefaults({file, temp.Path("Backup")}), 1);
    RecentList masks, folders;
    masks.Bind(RecentSection(&store, kRecentMasksInclude), nullptr);
    folders.Bind(RecentSection(&store, kRecentFoldersInclude), nullptr);
    folders.root()->val = 2;
    folders.Bind(folders.root(), nullptr);
    for (const std::string& text : typed) {
      masks.AddText(text);
      folders.AddText(text);
    }
    ASSERT_EQ(store.Save(), 1);
  }
  SettingsStore loaded;
  ASSERT_EQ(loaded.Load(file), 1);
  RecentList masks, folders;
  masks.Bind(RecentSection(&loaded, kRecentMasksInclude), nullptr);
  folders.Bind(RecentSection(&loaded, kRecentFoldersInclude), nullptr);
  EXPECT_EQ(masks.MenuTexts(), (Texts{"*.txt", "/media/Ü\xFF/folder with spaces", "&#60;", "a&b",
                                      "say \"cheese\"*", "<*>.log"}));
  EXPECT_EQ(folders.MenuTexts(), (Texts{"*.TXT", "/media/Ü\xFF/folder with spaces"}));
  EXPECT_EQ(RecentSection(&loaded, ""), nullptr);
  EXPECT_EQ(RecentSection(&loaded, "x:y"), nullptr);
}

}  // namespace
}  // namespace tf
