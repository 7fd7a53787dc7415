// "twinfold-cli journal" and "undo" end to end: real programs, real files, the real trash,
// and `kill -9` in the middle of a bulk delete.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/backup/backup_test_support.h"
#include "tests/support/run_program.h"

namespace tf {
namespace {

using namespace testing;

class JournalCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::PrivateTrashFiles();
    setenv("XDG_STATE_HOME", state.path().c_str(), 1);  // for the programs run
  }
  void TearDown() override { unsetenv("XDG_STATE_HOME"); }

  // Starts twinfold-cli; its output goes to files.
  pid_t start(std::vector<std::string> args) {
    args.insert(args.begin(), TWINFOLD_CLI);
    return testing::StartProgram(args, {dir / "out.txt", dir / "err.txt"});
  }
  int finish(pid_t pid) {
    const int status = testing::WaitProgram(pid);
    output = ReadFile(dir / "out.txt");
    errors = ReadFile(dir / "err.txt");
    return status;
  }
  int run(const std::vector<std::string>& args) { return finish(start(args)); }

  // `count` files in a/ with twins in b/ (same names, sizes and times), and the results
  // file of their search.
  std::string twins(int count) {
    for (int i = 0; i < count; ++i) {
      const std::string name = "f" + std::to_string(i) + ".txt";
      const std::string bytes = "content of " + std::to_string(i);
      WriteFile(dir / ("a/" + name), bytes);
      WriteFile(dir / ("b/" + name), bytes);
      testing::SetMtime(dir / ("a/" + name), 1700000000 + i, 0);
      testing::SetMtime(dir / ("b/" + name), 1700000000 + i, 0);
    }
    const std::string found = dir / "found.twinfold.json";
    EXPECT_EQ(run({"--format", "json", "--output", found, dir / "a", dir / "b"}), 0) << errors;
    return found;
  }
  void expectAllBack(int count) {
    for (int i = 0; i < count; ++i)
      ASSERT_EQ(ReadFile(dir / ("a/f" + std::to_string(i) + ".txt")),
                "content of " + std::to_string(i))
          << i;
  }

  TempTree dir, state;
  std::string output, errors;
};

TEST_F(JournalCliTest, ActJournalAndUndo) {
  std::filesystem::create_directories(dir / "a");
  std::filesystem::create_directories(dir / "b");
  const std::string found = twins(12);
  ASSERT_EQ(run({"act", found, "--keep", "in:" + dir / "b"}), 0) << errors;
  EXPECT_FALSE(testing::Exists(dir / "a/f0.txt"));
  ASSERT_EQ(run({"journal"}), 0) << errors;
  EXPECT_NE(output.find("Delete of 12 files  (done)"), std::string::npos) << output;
  ASSERT_EQ(run({"journal", "--format", "json", "--limit", "1"}), 0) << errors;
  EXPECT_EQ(output.rfind("{\"actions\":[\n{\"id\":", 0), 0u) << output;
  EXPECT_NE(output.find("\"label\":\"Delete of 12 files\""), std::string::npos) << output;
  EXPECT_EQ(run({"journal", "--limit", "x"}), 2);

  ASSERT_EQ(run({"undo", "--dry-run"}), 0) << errors;
  EXPECT_NE(output.find("would undo"), std::string::npos) << output;
  EXPECT_FALSE(testing::Exists(dir / "a/f0.txt"));
  ASSERT_EQ(run({"undo"}), 0) << errors;
  expectAllBack(12);
  EXPECT_EQ(run({"undo"}), 1);  // nothing left to undo
  EXPECT_NE(errors.find("no action that can be undone"), std::string::npos) << errors;

  // The backup folder's commands are journaled too.
  TempTree backup;
  ASSERT_EQ(run({"backup", "add", dir / "a/f1.txt", "--folder", backup.path()}), 0) << errors;
  ASSERT_EQ(run({"undo"}), 0) << errors;
  EXPECT_EQ(ReadFile(dir / "a/f1.txt"), "content of 1");
  EXPECT_TRUE(testing::NamesIn(backup.path()).empty());
}

// The program killed at random moments of a bulk delete: undo brings back every file
// that left its place, byte for byte.
TEST_F(JournalCliTest, KillDuringBulkDeleteThenUndo) {
  constexpr int kFiles = 2500;
  std::filesystem::create_directories(dir / "a");
  std::filesystem::create_directories(dir / "b");
  const std::string found = twins(kFiles);
  std::mt19937 random(std::random_device{}());
  const std::filesystem::path journal = state / "twinfold/journal";
  const auto journalSize = [&] {
    std::error_code error;
    const auto size = std::filesystem::file_size(journal, error);
    return error ? 0 : size;
  };
  for (int trial = 0; trial < 3; ++trial) {
    // Killed at a random moment of the action: once its first intent is in the journal
    // (a slow start, as under the sanitizers, must not make the kill fall before it).
    const auto before = journalSize();
    const pid_t pid = start({"act", found, "--keep", "in:" + dir / "b"});
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (journalSize() == before && std::chrono::steady_clock::now() < give_up)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_GT(journalSize(), before) << "trial " << trial << ": the action never began";
    std::this_thread::sleep_for(std::chrono::milliseconds(random() % 800));
    kill(pid, SIGKILL);
    finish(pid);
    int left = 0;
    for (int i = 0; i < kFiles; ++i)
      left += !testing::Exists(dir / ("a/f" + std::to_string(i) + ".txt"));
    std::printf("trial %d: killed with %d of %d files in the trash\n", trial, left, kFiles);
    ASSERT_EQ(run({"undo"}), 0) << "trial " << trial << ": " << errors;
    expectAllBack(kFiles);
  }
}

TEST_F(JournalCliTest, AJournalThatIsNoFileStopsTheAction) {
  std::filesystem::create_directories(state / "twinfold");
  ASSERT_EQ(mkfifo((state / "twinfold/journal").c_str(), 0600), 0);
  TempTree backup;
  WriteFile(dir / "f.txt", "f");
  EXPECT_EQ(run({"backup", "add", dir / "f.txt", "--folder", backup.path()}), 1);
  EXPECT_NE(errors.find("not a regular file"), std::string::npos) << errors;
  EXPECT_EQ(ReadFile(dir / "f.txt"), "f");
  EXPECT_TRUE(testing::NamesIn(backup.path()).empty());
  EXPECT_EQ(run({"journal"}), 1);
  EXPECT_NE(errors.find("not a regular file"), std::string::npos) << errors;
}

}  // namespace
}  // namespace tf
