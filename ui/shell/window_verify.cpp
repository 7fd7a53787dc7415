#include "ui/shell/window_verify.h"

#include <algorithm>
#include <memory>
#include <string>

#include <QString>

#include "app/app_shell.h"
#include "app/search_control.h"
#include "base/questions.h"
#include "datatree/node_ptr.h"
#include "duplicates/hard_links.h"
#include "results/content_verify.h"
#include "results/hash_cache.h"
#include "results/result_rows.h"
#include "results/verified_result.h"
#include "search/search_run.h"
#include "ui/window/long_work.h"

namespace tf {

bool VerifyInWindow(QWidget* parent, AppShell& shell, Questions& questions,
                    std::vector<const DataNode*> groups) {
  SearchControl& search = shell.Search();
  const DataNode* root = search.GroupsRoot();
  if (!root || search.CanStop() || !search.Run()) return false;
  if (groups.empty())
    for (const DataNode* group = root->FirstChild(); group; group = group->Next())
      if (IsGroupRow(group)) groups.push_back(group);
  if (groups.empty()) return false;
  struct Work {
    std::vector<VerifyGroup> files;
    VerifyOutcome outcome;
    NodePtr verified;
    HardLinks links;
  };
  auto work = std::make_shared<Work>();
  work->files = GroupsToVerify(groups);
  // Reading may take minutes: beside the window, which keeps painting and drops input, so
  // the result it reads stays as it is until the end.
  const bool done =
      LongWork::RunOnce(parent, QStringLiteral("Verifying contents..."),
                        [work, root, &groups](const CopyProgress& progress) {
                          HashCache cache;
                          cache.Load(HashCache::DefaultPath());  // a damaged cache is rebuilt
                          VerifyOptions options;
                          options.cache = &cache;
                          options.progress = [&progress](int64_t done, int64_t total) {
                            return !progress || progress(done, total);
                          };
                          if (!VerifyContents(work->files, options, &work->outcome)) return false;
                          cache.Save();
                          work->verified = VerifiedResult(root, groups, work->outcome);
                          if (work->verified)
                            work->links.Build(work->verified.get(), ReadLinkIdentity);
                          return true;
                        });
  if (!done) return false;  // cancelled: the lists stay as they were
  if (!work->verified) {
    questions.ShowMessage("There was not enough memory to verify the contents.", "Verify contents",
                          MB_OK);
    return false;
  }
  search.ReplaceResult(work->verified.release(), std::move(work->links));
  if (!work->outcome.leftOut.empty()) {
    std::string text = "These files could not be compared; they left their groups:";
    const size_t shown = std::min<size_t>(work->outcome.leftOut.size(), 15);
    for (size_t i = 0; i < shown; ++i) {
      const LeftOutFile& left = work->outcome.leftOut[i];
      text += "\n" + work->files[left.group][left.file].path + ": " + left.reason;
    }
    if (work->outcome.leftOut.size() > shown)
      text += "\n... and " + std::to_string(work->outcome.leftOut.size() - shown) + " more";
    questions.ShowMessage(text, "Verify contents", MB_OK);
  }
  return true;
}

}  // namespace tf
