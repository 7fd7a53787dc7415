// twinfold-cli's "ignore" commands and its searches, on real files and a real list.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "tests/support/temp_tree.h"

namespace tf {
namespace {

using testing::ReadFile;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

class IgnoreCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", m_tree.Path("config").c_str(), 1);
    setenv("XDG_DATA_HOME", m_tree.Path("data").c_str(), 1);
    for (const char* name : {"one/a b.txt", "two/a b.txt", "one/c.txt", "two/c.txt"})
      m_tree.File(std::string("tree/") + name, 10);
  }
  std::string path(const std::string& relative) const { return m_tree.Path("tree/" + relative); }
  Outcome run(std::vector<std::string> args) {
    args.insert(args.begin(), "twinfold-cli");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    CliStreams io;
    io.out = std::tmpfile();
    io.err = std::tmpfile();
    Outcome outcome;
    outcome.status = RunCli(static_cast<int>(argv.size()), argv.data(), io);
    outcome.out = testing::ReadAndClose(io.out);
    outcome.err = testing::ReadAndClose(io.err);
    return outcome;
  }
  // The groups a search shows, as their keys.
  std::vector<std::string> groups(const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args{"--format", "csv", m_tree.Path("tree")};
    args.insert(args.begin(), extra.begin(), extra.end());
    const Outcome found = run(args);
    EXPECT_EQ(found.status, 0) << found.err;
    std::vector<std::string> keys;
    for (const std::string key : {"a b.txt", "c.txt"})
      if (found.out.find(path("one/" + key)) != std::string::npos) keys.push_back(key);
    return keys;
  }
  using Keys = std::vector<std::string>;
  testing::TempTree m_tree;
};

TEST_F(IgnoreCliTest, AnIgnoredGroupHidesUntilAFileJoinsAndTheCommandsKeepTheList) {
  Outcome result = run({"ignore", "add", path("one/a b.txt"), path("two/a b.txt")});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "ignored as #1\n");
  EXPECT_EQ(groups(), Keys{"c.txt"});
  EXPECT_EQ(groups({"--no-ignore"}), (Keys{"a b.txt", "c.txt"}));
  EXPECT_EQ(run({"ignore", "add", path("two/a b.txt"), path("one/a b.txt")}).out,
            "already ignored\n");

  m_tree.File("tree/three/a b.txt", 10);  // joins the group: it shows again, whole
  EXPECT_EQ(groups(), (Keys{"a b.txt", "c.txt"}));
  EXPECT_NE(run({"--format", "csv", m_tree.Path("tree")}).out.find(path("two/a b.txt")),
            std::string::npos);

  ASSERT_EQ(run({"ignore", "add", path("one/c.txt"), path("two/c.txt")}).status, 0);
  result = run({"ignore", "list"});
  EXPECT_EQ(result.out, "#1\n  " + path("one/a b.txt") + "\n  " + path("two/a b.txt") + "\n#2\n  " +
                            path("one/c.txt") + "\n  " + path("two/c.txt") + "\n");
  result = run({"ignore", "list", "--format", "json"});
  EXPECT_EQ(
      result.out.rfind(
          "{\"entries\":[\n{\"number\":1,\"paths\":[{\"path\":\"" + path("one/a b.txt") + "\"}", 0),
      0u)
      << result.out;

  // Refusals change nothing: a missing number, too few files, a name that is no file.
  const std::string before = ReadFile(m_tree.Path("data/twinfold/ignored"));
  EXPECT_EQ(run({"ignore", "remove", "3"}).status, 1);
  EXPECT_EQ(run({"ignore", "remove", "x"}).status, 2);
  EXPECT_EQ(run({"ignore", "add", path("one/c.txt")}).status, 2);
  EXPECT_EQ(run({"ignore", "add", path("one/c.txt"), path("one/c.txt")}).status, 2);
  result = run({"ignore", "add", path("one/c.txt"), path("one")});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("it is not a file"), std::string::npos) << result.err;
  EXPECT_EQ(run({"ignore", "frobnicate"}).status, 2);
  EXPECT_EQ(ReadFile(m_tree.Path("data/twinfold/ignored")), before);

  EXPECT_EQ(run({"ignore", "remove", "2"}).out, "removed 1 entry\n");
  m_tree.File("tree/two/e.txt", 10);
  m_tree.File("tree/one/e.txt", 10);
  EXPECT_EQ(groups(), (Keys{"a b.txt", "c.txt"}));
  EXPECT_EQ(run({"ignore", "clear"}).out, "removed 1 entry\n");
  EXPECT_EQ(run({"ignore", "list"}).out, "");
}

TEST_F(IgnoreCliTest, ADamagedListHidesNothingSaysSoAndIsKeptWhenTheListChanges) {
  const std::string file = m_tree.Path("data/twinfold/ignored");
  m_tree.Folder("data/twinfold");
  ASSERT_TRUE(testing::WriteFile(file, "{\"format\":\"twinfold-ignored\",\"vers"));
  const Outcome found = run({"--format", "csv", m_tree.Path("tree")});
  EXPECT_EQ(found.status, 0);
  EXPECT_NE(found.err.find("the ignore list hides no group"), std::string::npos) << found.err;
  EXPECT_EQ(run({"ignore", "list"}).status, 1);
  const Outcome added = run({"ignore", "add", path("one/c.txt"), path("two/c.txt")});
  EXPECT_EQ(added.status, 0);
  EXPECT_NE(added.err.find("kept as"), std::string::npos) << added.err;
  EXPECT_EQ(ReadFile(file + ".damaged"), "{\"format\":\"twinfold-ignored\",\"vers");
  EXPECT_EQ(groups(), Keys{"a b.txt"});
}

}  // namespace
}  // namespace tf
