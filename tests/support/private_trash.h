// PrivateTrashHome: the data folder, and so the trash, of a test process. GLib reads
// $XDG_DATA_HOME once per process, so every test of a program shares this one folder; it
// is set before anything is trashed and removed when the process ends.
#pragma once

#include <stdlib.h>

#include <string>

#include "tests/support/temp_tree.h"

namespace tf::testing {

inline const std::string& PrivateTrashHome() {
  static TempTree home;
  static const bool set = ::setenv("XDG_DATA_HOME", home.root().c_str(), 1) == 0 &&
                          // and the action journal of what the tests trash
                          ::setenv("XDG_STATE_HOME", (home.root() + "/state").c_str(), 1) == 0;
  (void)set;
  return home.root();
}

}  // namespace tf::testing
