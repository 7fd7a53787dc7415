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

std::string sizeText(int64_t size) {
  std::string number, unit;
  FormatSize(size, &number, &unit);
  return number + " " + unit;
}

// Sizes switch unit at decimal thresholds but are scaled in binary; whole values lose
// their decimals, and the largest numbers must not overflow.
TEST(FormatNumbers, SizesAndGroupedDigits) {
  EXPECT_EQ(sizeText(999999), "976.56 K");
  EXPECT_EQ(sizeText(1000000), "0.95 MB");
  EXPECT_EQ(sizeText(3076), "3.00 K");  // 3.0039...: not within 1e-7 of 3
  EXPECT_EQ(sizeText(INT64_MAX), "8589934592 Gb");
  EXPECT_EQ(FormatGroupedNumber(INT64_MIN), "-9 223 372 036 854 775 808");
}

TEST_F(PinnedLocale, DatesAndTimesUseTheLocalTimeAndConvertBothWays) {
  // 2024-02-29 13:04:05.5 UTC
  const int64_t t = FileTimeFromUnixSeconds(1709211845) + 5000000;
  std::string date, time, iso;
  EXPECT_TRUE(FormatDate(t, &date));
  EXPECT_EQ(date, "02/29/24");
  setenv("TZ", "EST5", 1);  // local time, not UTC, is shown
  tzset();
  EXPECT_TRUE(FormatDateTimeIso(t, &iso, false, 1));
  EXPECT_EQ(iso, "2024-02-29 08:04:05");

  // No time is no date, and not 1601 either.
  date = iso = "untouched";
  EXPECT_FALSE(FormatDate(0, &date));
  EXPECT_FALSE(FormatDateTimeIso(0, &iso, false, 1));
  EXPECT_EQ(date + iso, "untoucheduntouched");

  // File times convert both ways around the epochs, to the millisecond.
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

TEST(Volumes, AFileGivesTheSpaceOfItsFoldersVolume) {
  testing::TempTree dir;
  ASSERT_TRUE(testing::WriteFile(dir / "f", "x"));
  int64_t freeOfFile = -1, freeOfFolder = -1;
  const int64_t total = QueryVolumeSpace(dir / "f", nullptr, nullptr, nullptr, &freeOfFile);
  EXPECT_GT(total, 0);
  EXPECT_EQ(QueryVolumeSpace(dir.path(), nullptr, nullptr, nullptr, &freeOfFolder), total);
  EXPECT_GE(freeOfFile, 0);
  EXPECT_LE(freeOfFile, total);
  EXPECT_EQ(QueryVolumeSpace(dir / "missing"), 0);
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
  EXPECT_EQ(entries[1].source, "/dev/sdb1");
  EXPECT_TRUE(MountTable::IsPseudoType(entries[2].type));
  EXPECT_EQ(entries[3].root, "/sub");
  EXPECT_EQ(entries[3].source, "");
}

}  // namespace
}  // namespace tf
