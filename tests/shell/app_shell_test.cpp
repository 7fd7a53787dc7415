// Start-up and shutdown of the application shell with real settings, backup and mask
// collection files in temporary folders.
#include <unistd.h>

#include <gtest/gtest.h>

#include "app/app_shell.h"
#include "results/backup_store.h"
#include "scan/mask_collection.h"
#include "settings/settings_store.h"
#include "shell_support.h"
#include "tests/support/scripted_questions.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using testing::RecordingPanes;
using testing::ScriptedQuestions;
using testing::TempTree;

ShellPlaces PlacesIn(const TempTree& tree) {
  ShellPlaces places;
  places.settingsFile = tree.Path("config/twinfold.dat");
  places.defaultBackupFolder = tree.Path("data/Backup");
  places.collectionFolders = {tree.Path("data/Filters"), tree.Path("share/Filters")};
  places.zipCandidates = {tree.Path("no-such-plugin.so")};
  places.journalFile = tree.Path("state/journal");
  return places;
}

void WriteCollection(const std::string& path, const std::string& groupName) {
  MaskCollection masks;
  masks.SetUpdating(true);
  masks.AddGroup(MaskGroup{0, groupName, "*.txt;", 1, 0});
  masks.SetUpdating(false);
  fs::create_directories(fs::path(path).parent_path());
  ASSERT_TRUE(masks.SaveToFile(path));
}

struct Shell {
  explicit Shell(const ShellPlaces& places) : shell(questions, panes, places) {}
  explicit Shell(const TempTree& tree) : Shell(PlacesIn(tree)) {}
  ScriptedQuestions questions;
  RecordingPanes panes;
  AppShell shell;
};

// A damaged settings file is kept aside; a folder, FIFO or device is neither read nor
// waited on nor saved over.
TEST(AppShell, SettingsAndCollectionsThatCannotBeReadAreLeftAlone) {
  TempTree tree;
  const ShellPlaces places = PlacesIn(tree);
  const std::string& file = places.settingsFile;
  fs::create_directories(tree.Path("config"));
  for (const char* damaged : {"this is not a tree\n", "nor this\n"}) {
    std::ofstream(file, std::ios::binary) << damaged;
    {
      Shell s(tree);
      ASSERT_TRUE(s.shell.LoadSettings());
      EXPECT_EQ(s.shell.settingsSource(), SettingsSource::kDamaged);
      EXPECT_EQ(s.shell.Search().Priority(), 1);  // the defaults
    }                                             // the destructor shuts down
    SettingsStore reread;
    EXPECT_EQ(reread.Load(file), 1);
  }
  EXPECT_EQ(testing::ReadFile(file + ".damaged"), "this is not a tree\n");
  EXPECT_EQ(testing::ReadFile(file + ".damaged.1"), "nor this\n");
  {
    std::ofstream big(file, std::ios::binary);
    big.seekp(static_cast<std::streamoff>(65) << 20);
    big << "end";
  }
  {
    Shell s(tree);
    ASSERT_TRUE(s.shell.LoadSettings());
    EXPECT_EQ(s.shell.settingsSource(), SettingsSource::kDamaged);
  }
  EXPECT_EQ(fs::file_size(file + ".damaged.2"), (uintmax_t{65} << 20) + 3);

  fs::create_directories(tree.Path("folder/twinfold.dat"));
  fs::create_directories(tree.Path("data/Filters"));
  ASSERT_EQ(mkfifo(tree.Path("data/Filters/fifo.mcf").c_str(), 0600), 0);
  WriteCollection(tree.Path("data/Filters/real.mcf"), "Real");
  alarm(60);  // a start-up that waits on a FIFO ends the test here
  for (const std::string& path : {tree.Path("folder/twinfold.dat"),
                                  tree.Path("data/Filters/fifo.mcf"), std::string("/dev/zero")}) {
    {
      ShellPlaces odd = places;
      odd.settingsFile = path;
      Shell s(odd);
      ASSERT_TRUE(s.shell.LoadSettings());
      EXPECT_EQ(s.shell.settingsSource(), SettingsSource::kNotAFile) << path;
      EXPECT_EQ(s.shell.Search().Priority(), 1);
      ASSERT_TRUE(s.shell.OpenStores());
      s.shell.Shutdown();
      EXPECT_FALSE(fs::exists(path + ".damaged")) << path;
    }
    if (fs::is_directory(path)) continue;
    {
      SettingsStore store;
      store.SetDefaults({places.settingsFile, places.defaultBackupFolder});
      store.SetFilterFlag(0);
      store.SetFilterText(path);
      ASSERT_EQ(store.Save(), 1);
    }
    Shell s(tree);
    ASSERT_TRUE(s.shell.LoadSettings());
    ASSERT_TRUE(s.shell.OpenStores());
    EXPECT_EQ(s.shell.Masks().Count(), 7) << path;
    ASSERT_EQ(s.shell.CollectionFiles().size(), 1u);
    EXPECT_EQ(s.shell.CollectionFiles()[0].name, "real");
  }
  alarm(0);
  EXPECT_TRUE(fs::is_empty(tree.Path("folder/twinfold.dat")));
  EXPECT_TRUE(fs::is_fifo(tree.Path("data/Filters/fifo.mcf")));
}

// A user's collection hides an installed one of the same name.

TEST(AppShell, SettingsFileAndCollectionsChooseTheMasks) {
  TempTree tree;
  const ShellPlaces places = PlacesIn(tree);
  WriteCollection(tree.Path("data/Filters/Beta.mcf"), "User beta");
  WriteCollection(tree.Path("share/Filters/alpha.mcf"), "Installed alpha");
  WriteCollection(tree.Path("share/Filters/Beta.mcf"), "Installed beta");
  std::ofstream(tree.Path("data/Filters/broken.mcf")) << "not a collection";
  {
    SettingsStore store;
    store.SetDefaults({places.settingsFile, places.defaultBackupFolder});
    store.SetPriority(0);
    store.SetBackupFolder(tree.Path("chosen/Backup"));
    store.SetFilterFlag(0);
    store.SetFilterText(tree.Path("share/Filters/alpha.mcf"));
    ASSERT_EQ(store.Save(), 1);
  }
  Shell s(tree);
  ASSERT_TRUE(s.shell.LoadSettings());
  EXPECT_EQ(s.shell.settingsSource(), SettingsSource::kLoaded);
  EXPECT_EQ(s.shell.Search().Priority(), 0);
  ASSERT_TRUE(s.shell.OpenStores());
  EXPECT_FALSE(fs::exists(tree.Path("chosen")));
  EXPECT_FALSE(fs::exists(tree.Path("data/Backup")));
  MaskGroup group;
  ASSERT_EQ(s.shell.Masks().Count(), 1);
  ASSERT_TRUE(s.shell.Masks().GetGroup(1, &group));
  EXPECT_EQ(group.name, "Installed alpha");

  ASSERT_EQ(s.shell.CollectionFiles().size(), 3u);
  ASSERT_TRUE(s.shell.LoadMasksCommand(kFirstLoadMasksCommand));
  ASSERT_TRUE(s.shell.Masks().GetGroup(1, &group));
  EXPECT_EQ(group.name, "User beta");
  EXPECT_FALSE(s.shell.LoadMasksCommand(kFirstLoadMasksCommand + 1));  // broken: unchanged
  EXPECT_FALSE(s.shell.LoadMasksCommand(kFirstLoadMasksCommand + 3));
  ASSERT_TRUE(s.shell.Masks().GetGroup(1, &group));
  EXPECT_EQ(group.name, "User beta");
  s.shell.LoadBuiltInMasks();
  EXPECT_EQ(s.shell.Masks().Count(), 7);

  fs::remove(tree.Path("share/Filters/alpha.mcf"));
  Shell again(tree);
  ASSERT_TRUE(again.shell.LoadSettings());
  ASSERT_TRUE(again.shell.OpenStores());
  EXPECT_EQ(again.shell.Masks().Count(), 7);
}

}  // namespace
}  // namespace tf
