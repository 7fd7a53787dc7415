// The real `twinfold`: a signal ends it whatever it shows, saving what it had built, and a
// results file it is given opens as a desktop starts it.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <thread>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>

#include "base/questions.h"
#include "tests/support/temp_tree.h"
#include "ui/shell/signal_quit.h"
#include "ui/window/message_box.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::TempTree;

// A `twinfold` whose home, data and temporary folders are all inside `places`.
struct Program {
  Program(const TempTree& places, const std::string& settings, const QStringList& more = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& name : env.keys())
      if (name.startsWith("XDG_")) env.remove(name);
    const std::pair<const char*, std::string> vars[] = {
        {"HOME", places.Folder("home")},
        {"TMPDIR", places.Folder("tmp")},
        {"XDG_CONFIG_HOME", places.Folder("config")},
        {"XDG_DATA_HOME", places.Folder("data")},
        {"QT_QPA_PLATFORM", "offscreen"}};
    for (const auto& [name, value] : vars) env.insert(name, QString::fromStdString(value));
    process.setProcessEnvironment(env);
    process.start(TF_TWINFOLD_PROGRAM,
                  QStringList{"--settings", QString::fromStdString(settings)} + more);
    process.waitForStarted();
  }
  ~Program() {
    process.kill();
    process.waitForFinished();
  }
  bool EndsOn(int signal) {
    ::kill(static_cast<pid_t>(process.processId()), signal);
    return process.waitForFinished(5000) && process.exitStatus() == QProcess::NormalExit;
  }
  // Catching SIGTERM and asleep a while: its window is built or its question shown.
  bool SettlesWithin(std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    int asleep = 0;
    while (std::chrono::steady_clock::now() < until && asleep < 25) {
      const std::string status =
          testing::ReadFile("/proc/" + std::to_string(process.processId()) + "/status");
      const size_t caught = status.find("SigCgt:");
      const bool catches =
          caught != std::string::npos &&
          (std::strtoull(status.c_str() + caught + 7, nullptr, 16) >> (SIGTERM - 1) & 1) != 0;
      asleep = catches && status.find("State:\tS") != std::string::npos ? asleep + 1 : 0;
      std::this_thread::sleep_for(20ms);
    }
    return asleep >= 25;
  }
  QProcess process;
};

std::string SocketPath(const TempTree& places) {
  return places.Path("tmp/twinfold-" + std::to_string(getuid()));
}

TEST(EndOnSignal, TheQuestionOfASecondStartAndTheMainWindowBothEnd) {
  TempTree places;
  const std::string firstSettings = places.Path("first.dat"),
                    secondSettings = places.Path("second.dat");
  Program first(places, firstSettings);
  ASSERT_TRUE(first.SettlesWithin(60s));  // its window built, its socket listening
  ASSERT_TRUE(fs::exists(SocketPath(places)));

  // A signal while the second start asks used to leave it turning at full speed for ever.
  Program second(places, secondSettings);
  ASSERT_TRUE(second.SettlesWithin(60s));
  EXPECT_TRUE(second.EndsOn(SIGTERM));
  EXPECT_FALSE(fs::exists(secondSettings));  // it had built nothing to save

  ASSERT_FALSE(fs::exists(firstSettings));
  EXPECT_TRUE(first.EndsOn(SIGHUP));
  EXPECT_TRUE(fs::exists(firstSettings));
  EXPECT_FALSE(fs::exists(SocketPath(places)));
}

TEST(EndOnSignal, OpenDialogAnswersAsClosedAndTheLoopEnds) {
  SignalQuit endOnSignal;
  ASSERT_TRUE(endOnSignal.installed());
  int asked = -1, askedAfter = -1;
  QTimer::singleShot(0, [&] {
    QTimer::singleShot(200, [] { raise(SIGTERM); });
    asked = ShowMessage(nullptr, "Replace file ?", "Twinfold", MB_YESNOCANCEL, kProgramTitle);
    askedAfter = ShowMessage(nullptr, "Really ?", "Twinfold", MB_YESNO, kProgramTitle);
  });
  QObject guard;  // should it hang; gone with the test
  QTimer::singleShot(10000, &guard, [] { QCoreApplication::exit(1); });
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(QCoreApplication::exec(), 0);
  EXPECT_LT(clock.elapsed(), 5000);
  EXPECT_TRUE(endOnSignal.received());
  EXPECT_EQ(asked, IDCANCEL);
  EXPECT_NE(askedAfter, IDYES);
}

// A results file given opens, and its search's folders are what the next start remembers.
TEST(WindowProgram, OpensTheResultsFileItIsGiven) {
  TempTree places, tree;
  tree.File("one/a.txt", 10);
  tree.File("two/a.txt", 10);
  const std::string results = places.Path("found.twinfold.json");
  QProcess cli;
  cli.start(TF_TWINFOLD_CLI_PROGRAM,
            {"--format", "json", "--output", QString::fromStdString(results),
             QString::fromStdString(tree.root())});
  ASSERT_TRUE(cli.waitForFinished(20000));
  ASSERT_EQ(cli.exitCode(), 0);
  const std::string settings = places.Path("twinfold.dat");
  Program window(places, settings, {QString::fromStdString(results)});
  ASSERT_TRUE(window.SettlesWithin(60s));  // started, and the file read
  EXPECT_TRUE(window.EndsOn(SIGTERM));
  const std::string kept = testing::ReadFile(settings);
  EXPECT_NE(kept.find("<node name=\"" + tree.root() + "\"/>"), std::string::npos) << kept;
}

}  // namespace
}  // namespace tf
