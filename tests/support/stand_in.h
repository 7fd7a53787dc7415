// StandIn: the argument recorder (tf_argv_recorder) put on PATH under a program's name,
// such as xdg-open or dbus-send, for one test, so the test sees exactly what the code
// under test starts (read it with ReadArgvRecord). Needs TF_ARGV_RECORDER.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "tests/support/temp_tree.h"

namespace tf::testing {

class StandIn {
 public:
  // Records to `record`. An empty `name` leaves no program at all on PATH.
  StandIn(const TempTree& dir, const std::string& name, const std::string& record)
      : m_savedPath(std::getenv("PATH") ? std::getenv("PATH") : "") {
    const std::string bin = dir / (name.empty() ? "empty-bin" : "bin");
    mkdir(bin.c_str(), 0700);
    if (name.empty()) {
      setenv("PATH", bin.c_str(), 1);
    } else {
      symlink(TF_ARGV_RECORDER, (bin + "/" + name).c_str());
      setenv("PATH", (bin + ":" + m_savedPath).c_str(), 1);
    }
    setenv("TF_RECORD_TO", record.c_str(), 1);
  }
  ~StandIn() {
    setenv("PATH", m_savedPath.c_str(), 1);
    unsetenv("TF_RECORD_TO");
  }
  StandIn(const StandIn&) = delete;
  StandIn& operator=(const StandIn&) = delete;

 private:
  std::string m_savedPath;
};

}  // namespace tf::testing
