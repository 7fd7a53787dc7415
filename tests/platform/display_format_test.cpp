#include "platform/display_format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>

#include "platform/file_time.h"
#include "platform/mount_table.h"
#include "platform/volume_info.h"
#include "tests/support/temp_tree.h"

namespace tf {
namespace {

// Pins the locale and time zone the expectations are written for.
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

std::string sizeText(int64_t size, int* index = nullptr) {
  std::string number, unit;
  const int i = FormatSize(size, &number, &unit);
  if (index) *index = i;
  return number + " " + unit;
}

TEST(FormatSize, ThresholdsAreDecimalAndScalesBinary) {
  EXPECT_EQ(sizeText(0), "0 ");
  EXPECT_EQ(sizeText(1023), "1023 ");
  EXPECT_EQ(sizeText(1024), "1 K");
  EXPECT_EQ(sizeText(999999), "976.56 K");
  EXPECT_EQ(sizeText(1000000), "0.95 MB");
  EXPECT_EQ(sizeText(999999999), "953.67 MB");
  EXPECT_EQ(sizeText(1000000000), "0.93 Gb");
  EXPECT_EQ(sizeText(1536), "1.50 K");
  EXPECT_EQ(sizeText(1073741824), "1 Gb");
  EXPECT_EQ(sizeText(3 * 1024), "3 K");             // exactly 3.0
  EXPECT_EQ(sizeText(3076), "3.00 K");              // 3.0039...: not within 1e-7 of 3
  EXPECT_EQ(sizeText(INT64_MAX), "8589934592 Gb");  // no overflow at the top
  int index = -1;
  sizeText(1000000, &index);
  EXPECT_EQ(index, 2);
  std::string unit;
  EXPECT_EQ(FormatSize(5000, nullptr, &unit), 1);
  EXPECT_EQ(unit, "K");
}

TEST(FormatGroupedNumber, GroupsOfThreeFromTheRight) {
  EXPECT_EQ(FormatGroupedNumber(999), "999");
  EXPECT_EQ(FormatGroupedNumber(1000), "1 000");
  EXPECT_EQ(FormatGroupedNumber(1234567), "1 234 567");
  EXPECT_EQ(FormatGroupedNumber(0), "0");
  EXPECT_EQ(FormatGroupedNumber(-123456), "-123 456");  // the sign is the first character
  EXPECT_EQ(FormatGroupedNumber(-12), "-12");
  EXPECT_EQ(FormatGroupedNumber(INT64_MIN), "-9 223 372 036 854 775 808");
}

TEST(FormatAttributes, FixedOrder) {
  EXPECT_EQ(FormatAttributes(0), "");
  EXPECT_EQ(FormatAttributes(0x27), " -R -A -H -S");
  EXPECT_EQ(FormatAttributes(0x10), "");  // the folder bit is not shown
}

TEST_F(PinnedLocale, DatesAndTimesUseTheLocaleFormats) {
  // 2024-02-29 13:04:05.5 UTC
  const int64_t t = FileTimeFromUnixSeconds(1709211845) + 5000000;
  std::string date = "untouched";
  EXPECT_TRUE(FormatDate(t, &date));
  EXPECT_EQ(date, "02/29/24");
  std::string time = "x";
  EXPECT_TRUE(FormatTime(t, &time));
  EXPECT_EQ(time, "13:04:05");
  std::string iso;
  EXPECT_TRUE(FormatDateTimeIso(t, &iso, false, 1));
  EXPECT_EQ(iso, "2024-02-29 13:04:05");
  EXPECT_TRUE(FormatDateTimeIso(t, &iso, false, 0));
  EXPECT_EQ(iso, "2024-02-29 13:04:05");
  EXPECT_TRUE(FormatDateTimeIso(t, &iso, true, 1));
  EXPECT_EQ(iso, "2024-02-29");

  setenv("TZ", "EST5", 1);  // local time, not UTC, is shown
  tzset();
  EXPECT_TRUE(FormatDateTimeIso(t, &iso, false, 1));
  EXPECT_EQ(iso, "2024-02-29 08:04:05");
}

TEST_F(PinnedLocale, ZeroTimesAndNullOutputs) {
  std::string date = "untouched";
  EXPECT_FALSE(FormatDate(0, &date));
  EXPECT_EQ(date, "untouched");
  std::string time = "old";
  EXPECT_TRUE(FormatTime(0, &time));
  EXPECT_EQ(time, "");
  std::string iso = "untouched";
  EXPECT_FALSE(FormatDateTimeIso(0, &iso, false, 1));
  EXPECT_EQ(iso, "untouched");
  EXPECT_FALSE(FormatDate(1, nullptr));
  EXPECT_FALSE(FormatTime(1, nullptr));
  EXPECT_FALSE(FormatDateTimeIso(1, nullptr, true, 0));
  // The first file time there is still prints.
  EXPECT_TRUE(FormatDateTimeIso(1, &iso, false, 1));
  EXPECT_EQ(iso, "1601-01-01 00:00:00");
}

TEST_F(PinnedLocale, FileTimesConvertBothWaysAroundTheEpochs) {
  const struct timespec before1970 = {-1, 999999900};
  EXPECT_EQ(FileTimeFromTimespec(before1970), kFileTimeUnixEpoch - 1);
  const struct timespec back = TimespecFromFileTime(kFileTimeUnixEpoch - 1);
  EXPECT_EQ(back.tv_sec, -1);
  EXPECT_EQ(back.tv_nsec, 999999900);
  CalendarTime c;
  ASSERT_TRUE(FileTimeToUtc(0, &c));
  EXPECT_EQ(c.year, 1601);
  EXPECT_EQ(c.dayOfWeek, 1);  // 1601-01-01 was a Monday
  ASSERT_TRUE(FileTimeToLocal(kFileTimeUnixEpoch + 10 * kFileTimeDay + 12345, &c));
  EXPECT_EQ(c.day, 11);
  EXPECT_EQ(c.milliseconds, 1);
  int64_t ft = 0;
  ASSERT_TRUE(LocalToFileTime(c, &ft));
  EXPECT_EQ(ft, kFileTimeUnixEpoch + 10 * kFileTimeDay + 10000);  // to the millisecond
  c.month = 2;
  c.day = 30;
  EXPECT_FALSE(LocalToFileTime(c, &ft));  // no 30 February
  c.month = 13;
  EXPECT_FALSE(UtcToFileTime(c, &ft));
}

TEST_F(PinnedLocale, LocalMidnightFollowsDaylightSaving) {
  // Central Europe; on 2024-03-31 the clocks went from 02:00 to 03:00.
  setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
  tzset();
  CalendarTime noon{2024, 3, 31, 12, 0, 0, 0, 0};
  int64_t t = 0;
  ASSERT_TRUE(LocalToFileTime(noon, &t));
  const int64_t midnight = LocalMidnightBefore(t);
  EXPECT_EQ(t - midnight, 11 * 3600 * kFileTimeSecond);      // only 11 hours since midnight
  EXPECT_EQ(midnight, FileTimeFromUnixSeconds(1711839600));  // 2024-03-30 23:00 UTC
}

TEST(Volumes, AFileGivesTheSpaceOfItsFoldersVolume) {
  testing::TempTree dir;
  ASSERT_TRUE(testing::WriteFile(dir / "f", "x"));
  int64_t freeOfFile = -1, freeOfFolder = -1;
  uint32_t sector = 0, cluster = 0, flags = 0;
  const int64_t total = QueryVolumeSpace(dir / "f", &sector, &cluster, &flags, &freeOfFile);
  EXPECT_GT(total, 0);
  EXPECT_EQ(QueryVolumeSpace(dir.path(), nullptr, nullptr, nullptr, &freeOfFolder), total);
  EXPECT_GE(freeOfFile, 0);
  EXPECT_LE(freeOfFile, total);
  EXPECT_EQ(sector, 512u);
  EXPECT_GE(cluster, 1u);
  EXPECT_TRUE(flags & kVolumeCaseSensitive);
  EXPECT_EQ(QueryVolumeSpace(""), 0);
  EXPECT_EQ(QueryVolumeSpace(dir / "missing"), 0);
}

TEST(Volumes, DriveLinesAndTheListOfThisMachine) {
  EXPECT_EQ(DriveSummaryLine("/", 80026361856, 13099650662), "/ 74.53 Gb Free: 12.20 Gb");
  EXPECT_EQ(DriveSummaryLine("/media/My Disk", 1024, 1000), "/media/My Disk 1 K Free: 1000 ");
  std::vector<DriveSummary> drives{{"stale", "stale"}};
  ASSERT_TRUE(BuildDriveSummaryList(&drives));
  ASSERT_FALSE(drives.empty());
  EXPECT_NE(drives[0].mountPoint, "stale");
  for (const DriveSummary& d : drives) {
    std::cout << "drive: " << d.line << "\n";
    EXPECT_EQ(d.line.compare(0, d.mountPoint.size() + 1, d.mountPoint + " "), 0);
    EXPECT_NE(d.mountPoint.rfind("/proc", 0), 0u);
  }
}

TEST(Mounts, ParsesEscapesAndSkipsDamagedLines) {
  const std::string text =
      "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
      "30 22 8:17 / /media/My\\040Disk\\012x rw - vfat /dev/sdb1 rw\n"
      "garbage line\n"
      "31 22 0:5 / /proc rw master:2 - proc proc rw\n"
      "32 22 0:6 /sub /bind rw - ext4\n";
  const std::vector<MountEntry> entries = MountTable::Parse(text);
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[1].mountPoint, "/media/My Disk\nx");
  EXPECT_EQ(entries[1].type, "vfat");
  EXPECT_EQ(entries[1].source, "/dev/sdb1");
  EXPECT_EQ(entries[2].type, "proc");
  EXPECT_TRUE(MountTable::IsPseudoType(entries[2].type));
  EXPECT_FALSE(MountTable::IsPseudoType("ext4"));
  EXPECT_EQ(entries[3].root, "/sub");
  EXPECT_EQ(entries[3].source, "");
}

}  // namespace
}  // namespace tf
