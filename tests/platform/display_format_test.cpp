#include "platform/display_format.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "platform/file_time.h"
#include "platform/mount_table.h"
#include "platform/volume_info.h"
#include "tests/support/temp_tree.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using testing::TempTree;
using testing::WriteFile;

class PinnedLocale : public ::testing::Test {
 protected:
  void SetUp() override {
    std::setlocale(LC_ALL, "C.UTF-8");
    setenv("TZ", "UTC0", 1);
    tzset();
  }
  void TearDown() override {
    unsetenv("TZ");
    tzset();
  }
};

std::string sizeText(int64_t size) {
  std::string number, unit;
  FormatSize(size, &number, &unit);
  return number + " " + unit;
}

TEST_F(PinnedLocale, SizesNumbersDatesAndTimesAndTheirConversions) {
  // Units switch at decimal thresholds but scale in binary; the largest numbers do not overflow.
  EXPECT_EQ(sizeText(1023) + "|" + sizeText(1024), "1023 |1 K");
  EXPECT_EQ(sizeText(999999), "976.56 K");
  EXPECT_EQ(sizeText(1000000), "0.95 MB");
  EXPECT_EQ(sizeText(3076), "3.00 K");  // 3.0039...: not within 1e-7 of 3
  EXPECT_EQ(sizeText(INT64_MAX), "8589934592 Gb");
  EXPECT_EQ(FormatGroupedNumber(-123456), "-123 456");  // the sign stays with the digits
  EXPECT_EQ(FormatGroupedNumber(INT64_MIN), "-9 223 372 036 854 775 808");
  // 2024-02-29 13:04:05.5 UTC
  const int64_t t = FileTimeFromUnixSeconds(1709211845) + 5000000;
  std::string date, time, iso;
  EXPECT_TRUE(FormatDate(t, &date) && FormatTime(t, &time));
  EXPECT_EQ(date + " " + time, "02/29/24 13:04:05");
  setenv("TZ", "EST5", 1);  // local time, not UTC, is shown
  tzset();
  EXPECT_TRUE(FormatDateTimeIso(t, &iso, false, 1));
  EXPECT_EQ(iso, "2024-02-29 08:04:05");
  date = iso = "untouched";  // no time is no date, and not 1601 either
  EXPECT_FALSE(FormatDate(0, &date));
  EXPECT_FALSE(FormatDateTimeIso(0, &iso, false, 1));
  EXPECT_EQ(date + iso, "untoucheduntouched");
  setenv("TZ", "UTC0", 1);
  tzset();
  const struct timespec before1970 = {-1, 999999900};
  EXPECT_EQ(FileTimeFromTimespec(before1970), kFileTimeUnixEpoch - 1);
  const struct timespec back = TimespecFromFileTime(kFileTimeUnixEpoch - 1);
  EXPECT_EQ(back.tv_sec * 1000000000 + back.tv_nsec, -100);
  CalendarTime c;
  ASSERT_TRUE(FileTimeToLocal(kFileTimeUnixEpoch + 10 * kFileTimeDay + 12345, &c));
  EXPECT_EQ(c.day, 11);
  EXPECT_EQ(c.milliseconds, 1);
  int64_t ft = 0;
  ASSERT_TRUE(LocalToFileTime(c, &ft));
  EXPECT_EQ(ft, kFileTimeUnixEpoch + 10 * kFileTimeDay + 10000);
  c.month = 2;
  c.day = 30;
  EXPECT_FALSE(LocalToFileTime(c, &ft));  // no 30 February
}

TEST(Volumes, SpaceOfAFilesVolumeAndMountLinesWithEscapesOrDamage) {
  TempTree dir;
  ASSERT_TRUE(WriteFile(dir / "f", "x"));
  int64_t freeOfFile = -1;
  const int64_t total = QueryVolumeSpace(dir / "f", nullptr, nullptr, nullptr, &freeOfFile);
  EXPECT_TRUE(total > 0 && freeOfFile >= 0 && freeOfFile <= total);
  EXPECT_EQ(QueryVolumeSpace(dir.path()), total);
  EXPECT_EQ(QueryVolumeSpace(dir / "missing"), 0);
  const std::string text =
      "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
      "30 22 8:17 / /media/My\\040Disk\\012x rw - vfat /dev/sdb1 rw\n"
      "garbage line\n"
      "31 22 0:5 / /proc rw master:2 - proc proc rw\n"
      "32 22 0:6 /sub /bind rw - ext4\n";
  std::string read;  // mount point, type, source, root; and whether the type is a pseudo one
  for (const MountEntry& e : MountTable::Parse(text))
    read += e.mountPoint + "|" + e.type + "|" + e.source + "|" + e.root +
            (MountTable::IsPseudoType(e.type) ? "|pseudo;" : ";");
  EXPECT_EQ(read,
            "/|ext4|/dev/sda1|/;/media/My Disk\nx|vfat|/dev/sdb1|/;"
            "/proc|proc|proc|/|pseudo;/bind|ext4||/sub;");
}

// Spinning disks, read from a sysfs tree laid out as the kernel's for a temporary folder.
class SpinningDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    struct stat st {};
    ASSERT_EQ(stat(m_data.root().c_str(), &st), 0);
    if (major(st.st_dev) == 0) GTEST_SKIP() << "the temporary folder has no block device";
    m_link = m_sys.Path("dev/block/" + std::to_string(major(st.st_dev)) + ":" +
                        std::to_string(minor(st.st_dev)));
    fs::create_directories(m_sys.Path("dev/block"));
  }
  std::string device(const std::string& relative, bool rotates) {
    const std::string folder = m_sys.Folder("devices/" + relative);
    fs::create_directories(folder + "/queue");
    WriteFile(folder + "/queue/rotational", rotates ? "1\n" : "0\n");
    return folder;
  }
  std::string partitionOf(const std::string& disk, const std::string& name) {
    const std::string folder = m_sys.Folder(disk.substr(m_sys.root().size() + 1) + "/" + name);
    WriteFile(folder + "/partition", "1\n");
    return folder;
  }
  bool spinning(const std::string& folder) {
    fs::remove(m_link);
    fs::create_symlink(folder, m_link);
    return IsOnSpinningDisk(m_data.root(), m_sys.root());
  }
  TempTree m_data;
  TempTree m_sys;
  std::string m_link;
};

TEST_F(SpinningDisk, OnlyARotatingSataOrSasDiskOrAVolumeOnOneSpins) {
  const std::string sata = device("pci0000:00/0000:00:1f.2/ata1/host0/block/sda", true);
  EXPECT_TRUE(spinning(partitionOf(sata, "sda1")));
  const std::string ssd = device("pci0000:00/0000:00:1f.2/ata2/host1/block/sdc", false);
  EXPECT_FALSE(spinning(ssd));
  // Virtual and USB disks say they rotate whatever lies beneath.
  for (const char* say : {"pci0000:00/0000:00:02.0/virtio1/block/vda", "virtual/block/loop0",
                          "pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host4/block/sde"})
    EXPECT_FALSE(spinning(device(say, true))) << say;
  // A volume (LVM, RAID) spins when a disk below it spins.
  const std::string volume = m_sys.Folder("devices/virtual/block/dm-0");
  fs::create_directories(volume + "/slaves");
  fs::create_symlink(partitionOf(ssd, "sdc2"), volume + "/slaves/sdc2");
  EXPECT_FALSE(spinning(volume));
  fs::create_symlink(partitionOf(sata, "sda2"), volume + "/slaves/sda2");
  EXPECT_TRUE(spinning(volume));
  fs::remove(m_link);
  EXPECT_FALSE(IsOnSpinningDisk(m_data.root(), m_sys.root()));  // unknown device
}

}  // namespace
}  // namespace tf
