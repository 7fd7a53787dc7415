// Which disks count as spinning, read from a sysfs tree laid out as the kernel lays it out
// for the device of a real temporary folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <string>

#include "platform/volume_info.h"
#include "tests/support/temp_tree.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using testing::TempTree;
using testing::WriteFile;

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

  // A block device folder under "devices" with its queue's rotational flag.
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
  // The data folder's device becomes `folder`.
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
  const std::string sata =
      device("pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0/block/sda", true);
  EXPECT_TRUE(spinning(sata));
  EXPECT_TRUE(spinning(partitionOf(sata, "sda1")));

  const std::string ssd =  // a SATA solid-state disk
      device("pci0000:00/0000:00:1f.2/ata2/host1/target1:0:0/1:0:0:0/block/sdc", false);
  EXPECT_FALSE(spinning(ssd));
  // Virtual disks say they rotate whatever lies beneath.
  EXPECT_FALSE(spinning(device("pci0000:00/0000:00:02.0/virtio1/block/vda", true)));
  EXPECT_FALSE(
      spinning(device("pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host4/target4:0:0/"
                      "4:0:0:0/block/sde",
                      true)));

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
