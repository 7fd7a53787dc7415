// "Share storage" in the window: the selected copies of verified groups are made to use
// the storage of the copy each group keeps, beside the window (progress in bytes,
// "Cancel" between files), and a message reports what was shared and what was left.
#pragma once

#include <functional>
#include <vector>

#include "datatree/data_node.h"

class QWidget;

namespace tf {

class Questions;

// Shares the storage of the selected files (results/share_action.h); a protected file is
// never changed. True when anything was tried (the report was shown).
bool ShareInWindow(QWidget* parent, Questions& questions,
                   const std::vector<const DataNode*>& selected,
                   const std::function<bool(const DataNode* file)>& isProtected);

}  // namespace tf
