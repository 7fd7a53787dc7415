// A signal ends the window program whatever it shows: the real `twinfold` is started on
// the offscreen platform, once with its main window and once stopped at the
// single-instance question, and must leave within seconds, saving what it had built.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "base/questions.h"
#include "tests/support/temp_tree.h"
#include "ui/message_box.h"
#include "ui/signal_quit.h"

extern char** environ;

namespace tf {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::TempTree;

// A `twinfold` whose home, data and temporary folders (the single-instance socket lives
// in the latter) are all inside `places`.
class Program {
 public:
  Program(const TempTree& places, const std::string& settings) {
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry) {
      const std::string text = *entry;
      const std::string name = text.substr(0, text.find('='));
      if (name != "HOME" && name != "TMPDIR" && name.rfind("XDG_", 0) != 0 &&
          name != "QT_QPA_PLATFORM")
        env.push_back(text);
    }
    env.push_back("HOME=" + places.Folder("home"));
    env.push_back("TMPDIR=" + places.Folder("tmp"));
    env.push_back("XDG_CONFIG_HOME=" + places.Folder("config"));
    env.push_back("XDG_DATA_HOME=" + places.Folder("data"));
    env.push_back("QT_QPA_PLATFORM=offscreen");
    std::vector<char*> envp;
    for (std::string& text : env) envp.push_back(text.data());
    envp.push_back(nullptr);
    std::string program = TF_TWINFOLD_PROGRAM, option = "--settings", file = settings;
    char* argv[] = {program.data(), option.data(), file.data(), nullptr};
    if (posix_spawn(&m_pid, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0) m_pid = -1;
  }
  ~Program() {
    if (m_pid > 0 && !m_ended) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, nullptr, 0);
    }
  }

  bool started() const { return m_pid > 0; }
  pid_t pid() const { return m_pid; }
  // True when the program ended by itself (not killed) within `limit`.
  bool EndsWithin(std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
      int status = 0;
      if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_ended = true;
        return WIFEXITED(status);
      }
      std::this_thread::sleep_for(20ms);
    }
    return false;
  }
  // Waits until the program catches SIGTERM and has been asleep, waiting for events, for
  // a while: it has built its window or shows its question.
  bool SettlesWithin(std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    int asleep = 0;
    while (std::chrono::steady_clock::now() < until && asleep < 25) {
      const std::string status = proc("status");
      const size_t caught = status.find("SigCgt:");
      const bool catches =
          caught != std::string::npos &&
          (std::strtoull(status.c_str() + caught + 7, nullptr, 16) >> (SIGTERM - 1) & 1) != 0;
      asleep = catches && status.find("State:\tS") != std::string::npos ? asleep + 1 : 0;
      std::this_thread::sleep_for(20ms);
    }
    return asleep >= 25;
  }

 private:
  std::string proc(const char* name) const {
    std::ifstream in("/proc/" + std::to_string(m_pid) + "/" + name);
    return std::string((std::istreambuf_iterator<char>(in)), {});
  }

  pid_t m_pid = -1;
  bool m_ended = false;
};

std::string SocketPath(const TempTree& places) {
  return places.Path("tmp/twinfold-" + std::to_string(getuid()));
}

TEST(EndOnSignal, TheQuestionOfASecondStartAndTheMainWindowBothEnd) {
  TempTree places;
  const std::string firstSettings = places.Path("first.dat");
  Program first(places, firstSettings);
  ASSERT_TRUE(first.started());
  const auto until = std::chrono::steady_clock::now() + 60s;
  while (!fs::exists(SocketPath(places)) && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(20ms);
  ASSERT_TRUE(fs::exists(SocketPath(places)));
  ASSERT_TRUE(first.SettlesWithin(60s));

  // The second start asks whether to switch to the first; a signal while it asks used to
  // leave it turning at full speed for ever.
  const std::string secondSettings = places.Path("second.dat");
  Program second(places, secondSettings);
  ASSERT_TRUE(second.started());
  ASSERT_TRUE(second.SettlesWithin(60s));
  ASSERT_EQ(kill(second.pid(), SIGTERM), 0);
  EXPECT_TRUE(second.EndsWithin(5s));
  EXPECT_FALSE(fs::exists(secondSettings));  // it had built nothing to save

  // The first one saves its settings as a close would.
  ASSERT_FALSE(fs::exists(firstSettings));
  ASSERT_EQ(kill(first.pid(), SIGHUP), 0);
  EXPECT_TRUE(first.EndsWithin(5s));
  EXPECT_TRUE(fs::exists(firstSettings));
  EXPECT_FALSE(fs::exists(SocketPath(places)));
}

// A dialog open over the running main loop answers as its close box would, a question
// asked on the way out does not wait either, and the main loop ends.
TEST(EndOnSignal, OpenDialogAnswersAsClosedAndTheLoopEnds) {
  SignalQuit endOnSignal;
  ASSERT_TRUE(endOnSignal.installed());
  int asked = -1, askedAfter = -1;
  QTimer::singleShot(0, [&] {
    QTimer::singleShot(200, [] { raise(SIGTERM); });
    asked = ShowMessage(nullptr, "Replace file ?", "Twinfold", MB_YESNOCANCEL, kProgramTitle);
    askedAfter = ShowMessage(nullptr, "Really ?", "Twinfold", MB_YESNO, kProgramTitle);
  });
  QTimer failsafe;
  failsafe.setSingleShot(true);
  QObject::connect(&failsafe, &QTimer::timeout, [] { QCoreApplication::exit(1); });
  failsafe.start(10000);
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(QCoreApplication::exec(), 0);
  EXPECT_LT(clock.elapsed(), 5000);
  EXPECT_TRUE(endOnSignal.received());
  EXPECT_EQ(asked, IDCANCEL);
  EXPECT_NE(askedAfter, IDYES);
}

}  // namespace
}  // namespace tf
