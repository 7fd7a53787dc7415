// The zip plug-in as the program loads it, through the "ZipFile 1.00" interface.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/zip_plugin.h"
#include "tests/backup/backup_test_support.h"

namespace tf {
namespace {

using namespace testing;

bool MakeArchive(ZipFileInterface* zip, const std::string& archive, const std::string& source,
                 const std::string& entryName) {
  if (!zip->ZipCreate(archive.c_str(), 1)) return false;
  bool added = zip->ZipAddFile(source.c_str(), entryName.c_str(), 0);
  return zip->ZipCommit(archive.c_str()) && added;
}

// Through its raw entry points only its own interface is made, and counted until deleted.
TEST(ZipPlugin, ProbeFindsTheModuleAndItAnswersOnlyItsOwnInterface) {
  EXPECT_FALSE(ZipPlugin(WithoutPlugin()).Probe());
  ZipPlugin plugin(WithPlugin());
  ASSERT_TRUE(plugin.Probe()) << WithPlugin().front();
  DynamicLibrary library;
  ASSERT_TRUE(library.Open(WithPlugin().front())) << library.LastError();
  auto create = reinterpret_cast<CreateInterface2Fn>(library.Symbol("CreateInterface2"));
  auto destroy = reinterpret_cast<DeleteInterfaceFn>(library.Symbol("DeleteInterface"));
  auto count = reinterpret_cast<RefCountFn>(library.Symbol("RefCount"));
  ASSERT_TRUE(create && destroy && count);
  WLibExInterface* object = reinterpret_cast<WLibExInterface*>(1);
  EXPECT_EQ(create("ZipFile 2.00", &object), 0);
  EXPECT_EQ(object, nullptr);
  ASSERT_EQ(create("ZipFile 1.00", &object), 1);
  EXPECT_EQ(count(), 1);
  EXPECT_EQ(destroy(&object), 1);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(count(), 0);
}

// Archives of several members and on a full disk are the backup tests' part.
class ZipArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(plugin.Probe());
    zip = plugin.AcquireZipInterface();
    ASSERT_NE(zip, nullptr);
  }
  void TearDown() override { plugin.ReleaseZipInterface(zip); }
  TempTree dir;
  ZipPlugin plugin{WithPlugin()};
  ZipFileInterface* zip = nullptr;
};

TEST_F(ZipArchiveTest, ArchiveKeepsItsEntryWholeAndEveryDamagedCopyIsRefused) {
  std::string bytes(300000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 % 251);
  const std::string name = "odd \"name\" <x>\n\xff\xfe.bin";
  const std::string source = dir / name;
  WriteFile(source, bytes);
  SetMtime(source, 1234567890, 987654321);
  ::chmod(source.c_str(), 0440);
  const std::string archive = dir / "1.odd.zipp";
  ASSERT_TRUE(MakeArchive(zip, archive, source, name));
  EXPECT_FALSE(zip->ZipCreate(archive.c_str(), 1));  // never replaces an archive
  ASSERT_TRUE(zip->ZipOpen(archive.c_str()));
  ASSERT_TRUE(zip->ZipFirst());
  char stored[2048];
  ASSERT_TRUE(zip->ZipGetName(stored, sizeof stored));
  EXPECT_EQ(std::string(stored), name);
  char tiny[4];
  EXPECT_FALSE(zip->ZipGetName(tiny, sizeof tiny));  // cut names are refused, not cut
  ZipEntry* entry = zip->ZipGetEntry();
  ASSERT_NE(entry, nullptr);
  // The caller reads the path at byte 8 and the size at byte 28.
  const char* raw = reinterpret_cast<const char*>(entry);
  char* pathAt8 = nullptr;
  int32_t sizeAt28 = 0;
  std::memcpy(&pathAt8, raw + 8, sizeof pathAt8);
  std::memcpy(&sizeAt28, raw + 28, sizeof sizeAt28);
  EXPECT_EQ(std::string(pathAt8), name);
  EXPECT_EQ(sizeAt28, 300000);
  EXPECT_EQ(entry->size64, 300000);
  entry->Release();
  const std::string out = dir / "restored";
  ASSERT_TRUE(zip->ZipExtract(out.c_str()));
  EXPECT_EQ(ReadFile(out), bytes);
  EXPECT_EQ(Mtime(out).tv_nsec, 987654321);
  struct stat st {};
  EXPECT_EQ(::stat(out.c_str(), &st) == 0 ? st.st_mode & 07777 : 0, 0440u);
  WriteFile(dir / "taken", "keep me");
  EXPECT_FALSE(zip->ZipExtract((dir / "taken").c_str()));
  EXPECT_EQ(ReadFile(dir / "taken"), "keep me");
  EXPECT_FALSE(zip->ZipNext());
  EXPECT_TRUE(zip->ZipClose());
  // Every cut-off prefix of a small archive fails to open or to extract; none crashes.
  WriteFile(dir / "a.txt", std::string(5000, 'a'));
  ASSERT_TRUE(MakeArchive(zip, dir / "a.zipp", dir / "a.txt", "a.txt"));
  const std::string good = ReadFile(dir / "a.zipp");
  for (size_t cut = 0; cut < good.size(); cut += 7) {
    const std::string part = dir / "part.zipp";
    WriteFile(part, good.substr(0, cut));
    if (zip->ZipOpen(part.c_str()) && zip->ZipFirst()) {
      std::filesystem::remove(dir / "out");
      EXPECT_FALSE(zip->ZipExtract((dir / "out").c_str())) << cut;
    }
    zip->ZipClose();
  }
}

}  // namespace
}  // namespace tf
