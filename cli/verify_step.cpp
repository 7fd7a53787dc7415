#include "cli/verify_step.h"

#include <chrono>
#include <string>
#include <vector>

#include "cli/terminal_text.h"
#include "platform/display_format.h"
#include "results/content_verify.h"
#include "results/hash_cache.h"
#include "results/result_rows.h"
#include "results/verified_result.h"
#include "search/search_run.h"

namespace tf {
namespace {

std::string byteText(int64_t bytes) {
  std::string number, unit;
  FormatSize(bytes, &number, &unit);
  return number + " " + unit;
}

}  // namespace

VerifyStepOutput RunVerifyStep(const DataNode* root, std::FILE* err, std::FILE* progress,
                               bool rewriteLine, bool unverifiedOnly) {
  VerifyStepOutput out;
  std::vector<const DataNode*> groups;
  for (const DataNode* group = root->FirstChild(); group; group = group->Next())
    if (IsGroupRow(group) && !(unverifiedOnly && IsVerifiedGroup(group))) groups.push_back(group);
  const std::vector<VerifyGroup> files = GroupsToVerify(groups);
  HashCache cache;
  std::string why;
  // A damaged cache is rebuilt: the verification reads what it would have saved.
  if (!cache.Load(HashCache::DefaultPath(), &why))
    std::fprintf(err, "twinfold-cli: %s: the hash cache is ignored and rebuilt: %s\n",
                 TerminalText(HashCache::DefaultPath()).c_str(), why.c_str());
  VerifyOptions options;
  options.cache = &cache;
  auto last = std::chrono::steady_clock::now();
  if (progress)
    options.progress = [&last, progress, rewriteLine](int64_t done, int64_t total) {
      const auto now = std::chrono::steady_clock::now();
      if (now - last < std::chrono::milliseconds(200)) return true;
      last = now;
      std::fprintf(progress, "%sVerifying contents: %s of %s%s", rewriteLine ? "\r\033[K" : "",
                   byteText(done).c_str(), byteText(total).c_str(), rewriteLine ? "" : "\n");
      std::fflush(progress);
      return true;
    };
  VerifyOutcome outcome;
  VerifyContents(files, options, &outcome);
  if (progress && rewriteLine) std::fputs("\r\033[K", progress);
  for (const LeftOutFile& left : outcome.leftOut) {
    std::fprintf(err, "twinfold-cli: %s: left out of its group: %s\n",
                 TerminalText(files[left.group][left.file].path).c_str(), left.reason.c_str());
    out.allRead = false;
  }
  std::string error;
  if (!cache.Save(&error))
    std::fprintf(err, "twinfold-cli: %s: cannot save the hash cache: %s\n",
                 TerminalText(HashCache::DefaultPath()).c_str(), error.c_str());
  out.root = VerifiedResult(root, groups, outcome);
  // The totals count the names of one file once, as the search's own did.
  if (out.root) HardLinks().Build(out.root.get(), ReadLinkIdentity);
  return out;
}

}  // namespace tf
