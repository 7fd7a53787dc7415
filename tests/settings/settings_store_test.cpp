// The settings store on real files: damaged and partial files, and failed saves.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "datatree/node_xml.h"
#include "settings/settings_store.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_tree.h"

namespace tf {
namespace {

namespace fs = std::filesystem;

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(m_dir.empty());
    m_places = {m_dir + "/config/twinfold.dat", m_dir + "/Backup"};
    ASSERT_EQ(m_store.SetDefaults(m_places), 1);
  }
  std::string path(const std::string& name) const { return m_dir + "/" + name; }
  static std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
    return names;
  }
  int toolCount() {
    int n = 0;
    for (DataNode* t = m_store.GetOrCreate("tools_section")->FirstChild(); t; t = t->Next()) ++n;
    return n;
  }
  testing::TempTree m_tree;
  const std::string m_dir = m_tree.root();
  SettingsLocations m_places;
  SettingsStore m_store;
};

// A file from an older version holding only some keys.
TEST_F(SettingsStoreTest, MissingKeysTakeDefaultsChangesSurviveAReloadAndKeysAreRootPaths) {
  const std::string file = path("root_only.dat");
  testing::WriteFile(file,
                     "<node name=\"options\" desc=\"1.0\"><node name=\"extra\" val=\"5\"/></node>");
  ASSERT_EQ(m_store.Load(file), 1);
  EXPECT_EQ(toolCount(), 0);               // a file without tools keeps none
  EXPECT_EQ(m_store.GetFilterText(), "");  // creates "common:filter"; its flag must not be 0
  EXPECT_EQ(m_store.GetFilterFlag(), 1);
  EXPECT_EQ(m_store.SetTooltips(0), 1);
  EXPECT_EQ(m_store.SetPriority(-2), 1);
  ASSERT_EQ(m_store.Save(), 1);
  EXPECT_NE(testing::ReadFile(file).find("<node name=\"extra\" val=\"5\"/>"), std::string::npos);
  SettingsStore again;
  ASSERT_EQ(again.Load(file), 1);
  EXPECT_EQ(again.GetTooltips(), 0);   // a zero value, written without val, reads as 0
  EXPECT_EQ(again.GetPriority(), -2);  // sign-extended
  EXPECT_EQ(again.GetFilterFlag(), 1);
}

TEST_F(SettingsStoreTest, UnreadableFilesKeepTheDefaultsAndFailedSavesTheOldFile) {
  ASSERT_EQ(m_store.Save(), 1);
  const std::string valid = testing::ReadFile(m_places.settingsFile);
  std::vector<std::string> bad = {"<html><body>settings</body></html>"};
  for (size_t cut = 0; cut <= valid.find('>'); ++cut) bad.push_back(valid.substr(0, cut));
  for (const std::string& text : bad) {
    testing::WriteFile(path("bad.dat"), text);
    EXPECT_EQ(m_store.Load(path("bad.dat")), 0) << text;
    EXPECT_EQ(m_store.fileName(), m_places.settingsFile);
    EXPECT_EQ(toolCount(), 1);
  }
  for (size_t cut = valid.find('>') + 1; cut < valid.size(); cut += 5) {
    SettingsStore store;
    testing::WriteFile(path("cut"), valid.substr(0, cut));
    ASSERT_EQ(store.Load(path("cut")), 1) << cut;
    EXPECT_EQ(store.GetTooltips() + store.GetPriority(), 2);
  }
  const std::string before = testing::ReadFile(m_places.settingsFile);
  m_store.SetPriority(0);
  std::string next;
  ASSERT_EQ(WriteNodeXml(m_store.root(), &next, false), 1);
  std::string error;
  {
    testing::FileSizeLimit full(next.size() - 1);
    EXPECT_EQ(m_store.Save(&error), 0);
  }
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(testing::ReadFile(m_places.settingsFile), before);
  EXPECT_EQ(filesIn(m_dir + "/config"), std::vector<std::string>{"twinfold.dat"});
  ASSERT_EQ(m_store.Save(), 1);
  EXPECT_EQ(testing::ReadFile(m_places.settingsFile), next);
  // A settings folder that is a file; a store never given its defaults.
  testing::WriteFile(path("plain"), "x");
  SettingsStore blocked;
  ASSERT_EQ(blocked.SetDefaults({path("plain/twinfold.dat"), path("Backup")}), 1);
  EXPECT_EQ(blocked.Save(), 0);
  SettingsStore empty;
  EXPECT_EQ(empty.Save(), 0);
  EXPECT_EQ(empty.SetPriority(3), 0);
  // The root's own name may lead a key; empty parts are skipped.
  int created = -1;
  EXPECT_EQ(m_store.GetOrCreate("options:common:prior"), m_store.GetOrCreate("common:prior"));
  DataNode* list = m_store.GetOrCreate("recent_section:scanfolders_inc", &created);
  EXPECT_EQ(created, 1);
  EXPECT_EQ(m_store.GetOrCreate("recent_section::scanfolders_inc:", &created), list);
  EXPECT_EQ(created, 0);
  EXPECT_EQ(m_store.GetOrCreate(":::"), nullptr);
}

}  // namespace
}  // namespace tf
