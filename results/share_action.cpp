#include "results/share_action.h"

#include <cstdint>
#include <unordered_set>

#include "platform/display_format.h"
#include "platform/file_change_watcher.h"
#include "platform/shared_storage.h"
#include "results/action_journal.h"
#include "results/result_rows.h"

namespace tf {

bool ShareOneFile(const std::string& path, const std::string& kept, int64_t size, int64_t modified,
                  int64_t* bytes, std::string* why) {
  if (!WatchBefore(FileChange::kShare, path, kept, why)) return false;
  const ShareReport report = ShareStorage(kept, path, size, modified);
  *bytes = report.bytes;
  const bool done = report.outcome == ShareOutcome::kShared;
  if (!done) *why = report.why;
  WatchAfter(FileChange::kShare, path, kept, done);
  return done;
}

bool ShareFiles(std::vector<PlannedAction>* plan,
                const std::function<bool(int64_t done, int64_t total)>& keepGoing,
                std::string* why) {
  JournalScope journal(kActShare);
  if (!journal.Ok()) {
    *why = journal.Why();
    return false;
  }
  ActRequest request;
  request.action = ActKind::kShare;
  ActServices services;
  services.share = ShareOneFile;
  int64_t total = 0, done = 0;
  for (const PlannedAction& action : *plan) total += action.file ? action.file->val : 0;
  bool stopped = false;
  // One file at a time: a stop is heard between files, and each file's intent is synced
  // on its own (sharing a file costs far more than that).
  for (PlannedAction& action : *plan) {
    stopped = stopped || (keepGoing && !keepGoing(done, total));
    if (stopped) {
      action.reason = "not shared: stopped before it was reached";
      continue;
    }
    std::vector<PlannedAction> one(1, std::move(action));
    CarryOut(&one, request, services, false);
    action = std::move(one[0]);
    done += action.file ? action.file->val : 0;
  }
  if (keepGoing && !stopped) keepGoing(total, total);
  return true;
}

std::vector<PlannedAction> PlanShareOfSelection(
    const std::vector<const DataNode*>& selected,
    const std::function<bool(const DataNode* file)>& isProtected, size_t limit) {
  std::vector<const DataNode*> groups;
  std::unordered_set<const DataNode*> picked(selected.begin(), selected.end());
  std::unordered_set<const DataNode*> seen;
  for (const DataNode* file : selected)
    if (IsVerifiedGroup(file->Parent()) && seen.insert(file->Parent()).second)
      groups.push_back(file->Parent());
  std::vector<PlannedAction> plan;
  for (const DataNode* group : groups) {
    if (plan.size() >= limit) break;
    const DataNode* kept = nullptr;
    for (const DataNode* file = group->FirstChild(); file && !kept; file = file->Next())
      if (!picked.count(file)) kept = file;
    if (!kept) kept = group->FirstChild();
    const std::string keptPath = FullName(kept);
    for (DataNode* file = group->FirstChild(); file && plan.size() < limit; file = file->Next()) {
      if (file == kept || !picked.count(file) || (isProtected && isProtected(file))) continue;
      PlannedAction action;
      action.file = file;
      action.kept = const_cast<DataNode*>(kept);
      action.path = FullName(file);
      action.keptPath = keptPath;
      plan.push_back(std::move(action));
    }
  }
  return plan;
}

std::string WhyCannotShareSelection(const std::vector<const DataNode*>& selected,
                                    const std::function<bool(const DataNode* file)>& isProtected,
                                    size_t probes) {
  bool verified = false;
  for (const DataNode* file : selected) verified = verified || IsVerifiedGroup(file->Parent());
  if (!verified)
    return "Only groups whose contents are verified can share storage: choose \"Verify "
           "contents\" first";
  const std::vector<PlannedAction> plan = PlanShareOfSelection(selected, isProtected, probes);
  if (plan.empty()) return "No selected file can share storage: a protected file never changes";
  std::string first;
  for (size_t i = 0; i < plan.size() && i < probes; ++i) {
    const std::string why = WhyCannotShare(plan[i].keptPath, plan[i].path);
    if (why.empty()) return "";
    if (first.empty()) first = why;
  }
  return "Cannot share storage: " + first;
}

std::string ShareSummary(const std::vector<PlannedAction>& plan, bool dryRun, size_t shown) {
  int64_t bytes = 0;
  size_t files = 0;
  std::vector<const PlannedAction*> left;
  for (const PlannedAction& action : plan) {
    if (!action.reason.empty()) {
      left.push_back(&action);
    } else if (action.done || dryRun) {
      ++files;
      bytes += dryRun ? (action.file ? action.file->val : 0) : action.bytes;
    }
  }
  std::string number, unit;
  FormatSize(bytes, &number, &unit);
  std::string text = std::string(dryRun ? "Would share " : "Shared ") + FormatGroupedNumber(bytes) +
                     (bytes == 1 ? " byte" : " bytes");
  if (!unit.empty()) text += " (" + number + " " + unit + ")";
  text += " in " + std::to_string(files) + (files == 1 ? " file." : " files.");
  if (left.empty()) return text;
  text += "\n" + std::to_string(left.size()) +
          (left.size() == 1 ? " file was left as it was:" : " files were left as they were:");
  for (size_t i = 0; i < left.size() && i < shown; ++i)
    text += "\n\"" + left[i]->path + "\"\n    " + left[i]->reason;
  if (left.size() > shown) text += "\n... and " + std::to_string(left.size() - shown) + " more";
  return text;
}

}  // namespace tf
