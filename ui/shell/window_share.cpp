#include "ui/shell/window_share.h"

#include <memory>
#include <string>

#include <QString>

#include "base/questions.h"
#include "results/share_action.h"
#include "ui/window/long_work.h"

namespace tf {

bool ShareInWindow(QWidget* parent, Questions& questions,
                   const std::vector<const DataNode*>& selected,
                   const std::function<bool(const DataNode* file)>& isProtected) {
  struct Work {
    std::vector<PlannedAction> plan;
    std::string why;
    bool journaled = true;
  };
  auto work = std::make_shared<Work>();
  work->plan = PlanShareOfSelection(selected, isProtected);
  if (work->plan.empty()) return false;
  // The result's nodes are only read on the way: the lists stay as they are, since every
  // file keeps its name, size and time.
  LongWork::RunOnce(
      parent, QStringLiteral("Sharing storage..."), [work](const CopyProgress& progress) {
        work->journaled = ShareFiles(
            &work->plan,
            [&progress](int64_t done, int64_t total) { return !progress || progress(done, total); },
            &work->why);
        return true;
      });
  questions.ShowMessage(work->journaled ? ShareSummary(work->plan, false) : work->why,
                        "Share storage", MB_OK);
  return true;
}

}  // namespace tf
