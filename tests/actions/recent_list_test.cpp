#include "results/recent_list.h"

#include <gtest/gtest.h>

namespace tf {
namespace {

using Texts = std::vector<std::string>;

TEST(RecentList, KeepsNewestFirstWithinTheCapacity) {
  RecentList list;
  list.Bind(nullptr, nullptr);
  EXPECT_EQ(list.root()->val, 15);  // the capacity is stored with the list
  for (int i = 1; i <= 16; ++i) EXPECT_EQ(list.AddText("*.t" + std::to_string(i)), 1);
  Texts now = list.MenuTexts();
  ASSERT_EQ(now.size(), 15u);
  EXPECT_EQ(now.front(), "*.t16");
  EXPECT_EQ(now.back(), "*.t2");  // the oldest went
  // A text already there, in other letter case, moves to the top instead.
  EXPECT_EQ(list.AddText("*.T5"), 0);
  EXPECT_EQ(list.MenuTexts().front(), "*.t5");
  EXPECT_EQ(list.MenuTexts().size(), 15u);
  EXPECT_EQ(list.IndexOfText("*.T16"), 1);
  EXPECT_EQ(list.IndexOfText("*.t1"), -1);
  EXPECT_EQ(list.AddText(""), 0);

  // An options node's val sets the capacity; a list filled under a larger one shrinks.
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

TEST(RecentList, EscapesMarkupAndRoundTripsOddTexts) {
  for (const std::string text :
       {"a<b>c", "say \"hi\"", "&#60; literal", "x&y", "\xFF\xFE raw", "&#", "&#999;", "&#0;"})
    EXPECT_EQ(RecentList::Unescape(RecentList::Escape(text)), text);
  EXPECT_EQ(RecentList::Escape("<\">&"), "&#60;&#34;&#62;&#38;");
  // Entities stored by earlier versions, and text that only looks like one.
  EXPECT_EQ(RecentList::Unescape("&#60;a&#62;&#9;&#256;&x"), "<a>\t&#256;&x");

  RecentList list;
  list.Bind(nullptr, "masks");
  list.AddText("*<1>*");
  list.AddText("two");
  SetDesc(list.root()->FirstChild(), "");  // an entry with only a name still shows it
  EXPECT_STREQ(list.root()->LastChild()->Name(), "*&#60;1&#62;*");
  EXPECT_EQ(list.MenuTexts(), (Texts{"two", "*<1>*"}));
  std::string chosen = "unchanged";
  EXPECT_FALSE(list.ChooseMenuCommand(3, &chosen));
  EXPECT_TRUE(list.ChooseMenuCommand(2, &chosen));
  EXPECT_EQ(chosen, "*<1>*");
  EXPECT_FALSE(list.ChooseMenuCommand(RecentList::kClearCommand, &chosen));
  EXPECT_EQ(chosen, "*<1>*");  // "Clear List" leaves the editor's text alone
  EXPECT_FALSE(list.HasEntries());
}

}  // namespace
}  // namespace tf
