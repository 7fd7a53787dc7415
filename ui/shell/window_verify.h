// "Verify contents" in the window: the groups' files are read beside the window (progress
// in bytes, "Cancel"), then the lists show each group split by the bytes its files hold,
// the groups proven equal marked. A cancelled verification leaves the result as it was.
#pragma once

#include <vector>

#include "datatree/data_node.h"

class QWidget;

namespace tf {

class AppShell;
class Questions;

// Verifies `groups` of the shown result (all of them when empty). True when the result
// now shows the verified groups; false when there was nothing to verify or it was
// cancelled. Files that could not be compared are named in one message.
bool VerifyInWindow(QWidget* parent, AppShell& shell, Questions& questions,
                    std::vector<const DataNode*> groups);

}  // namespace tf
