// twinfold-bench-window finds byte for byte what twinfold-cli finds.
#include <gtest/gtest.h>

#include <vector>

#include <QProcess>

#include "tests/support/temp_tree.h"

namespace tf {
namespace {

using testing::ReadFile;
using testing::TempTree;

std::string output(const char* program, const QStringList& arguments) {
  QProcess process;
  process.start(QString::fromUtf8(program), arguments);
  if (!process.waitForFinished(60000)) return "<did not end>";
  EXPECT_EQ(process.exitCode(), 0) << program << ": " << process.readAllStandardError().data();
  return process.readAllStandardOutput().toStdString();
}

TEST(WindowBench, FindsTheGroupsTheCommandLineFinds) {
  TempTree tree;
  QStringList parts;
  for (int part = 0; part < 5; ++part) {
    const std::string folder = "part" + std::to_string(part);
    for (int i = 0; i < 40; ++i)
      tree.File(folder + "/d" + std::to_string(i % 6) + "/file" +
                    std::to_string((i * 7 + part) % 25) + (i % 3 ? ".txt" : ".dat"),
                i % 4, (i + part) % 3);
    tree.File(folder + "/odd \xff name.txt", 5);
    parts << QString::fromStdString(tree.Path(folder));
  }
  TempTree out;
  const std::pair<QStringList, QStringList> cases[] = {
      // folders, criteria
      {{QString::fromStdString(tree.root())}, {}},
      {parts, {}},
      {parts, {"--name", "noext", "--time", "any", "--size", "any"}}};
  int i = 0;
  for (const auto& [folders, criteria] : cases) {
    const std::string json = out.Path("groups" + std::to_string(++i) + ".json");
    const std::string timed = output(TF_BENCH_WINDOW_PROGRAM,
                                     QStringList(criteria) << "--json" << json.c_str() << folders);
    EXPECT_NE(timed.find("round 1: "), std::string::npos) << timed;
    std::string printed =
        output(TF_TWINFOLD_CLI_PROGRAM,
               QStringList{"--no-progress", "--format", "json"} << criteria << folders);
    // The command line's JSON opens with the header of its search; the groups follow it.
    if (printed.starts_with("{\"format\":\"twinfold-results\","))
      printed.erase(1, printed.find("\"groups\"") - 1);
    EXPECT_GT(printed.size(), 1000u) << i;  // the groups are there to compare
    EXPECT_EQ(ReadFile(json), printed) << i;
  }
}

}  // namespace
}  // namespace tf
