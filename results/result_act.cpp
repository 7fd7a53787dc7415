#include "results/result_act.h"

#include "platform/path_status.h"
#include "results/result_rows.h"
#include "scan/folder_list.h"

namespace tf {

bool ParseKeepRule(const std::string& text, ActRequest* request, std::string* error) {
  static const struct {
    const char* name;
    SelectRule rule;
  } kRules[] = {{"newest", SelectRule::kAllButNewest},
                {"oldest", SelectRule::kAllButOldest},
                {"largest", SelectRule::kAllButLargest},
                {"first", SelectRule::kAllButFirst}};
  for (const auto& rule : kRules)
    if (text == rule.name) {
      request->keep = rule.rule;
      return true;
    }
  if (text.rfind("in:", 0) == 0 && text.size() > 3) {
    request->keep = SelectRule::kAllButInFolder;
    request->keepFolder = text.substr(3);
    return true;
  }
  *error = "--keep takes newest, oldest, largest, first or in:FOLDER, not \"" + text + "\"";
  return false;
}

bool ParseActKind(const std::string& text, ActRequest* request, std::string* error) {
  if (text == "trash") {
    request->action = ActKind::kTrash;
  } else if (text == "backup") {
    request->action = ActKind::kBackup;
  } else if (text == "link") {
    request->action = ActKind::kLink;
  } else if (text == "share") {
    request->action = ActKind::kShare;
  } else if (text.rfind("move:", 0) == 0 && text.size() > 5) {
    request->action = ActKind::kMove;
    request->moveFolder = text.substr(5);
  } else {
    *error = "--action takes trash, backup, move:FOLDER, link or share, not \"" + text + "\"";
    return false;
  }
  return true;
}

std::vector<PlannedAction> PlanActions(const LoadedResults& results, const ActRequest& request,
                                       const HardLinks* links) {
  std::vector<std::string> protectedFolders = SavedProtectedFolders(results);
  protectedFolders.insert(protectedFolders.end(), request.protect.begin(), request.protect.end());
  SelectionContext context;
  context.folder = request.keepFolder;
  context.links = links;
  if (!protectedFolders.empty())
    context.isProtected = [&protectedFolders](const DataNode* file) {
      return !ProtectedFolderHolding(protectedFolders, FullName(file)).empty();
    };
  std::vector<DataNode*> kept;
  const std::vector<DataNode*> picked =
      ChooseFiles(results.root.get(), request.keep, context, &kept);
  std::vector<PlannedAction> plan(picked.size());
  for (size_t i = 0; i < picked.size(); ++i) {
    plan[i].file = picked[i];
    plan[i].kept = kept[i];
    plan[i].path = FullName(picked[i]);
    if (kept[i]) plan[i].keptPath = FullName(kept[i]);
  }
  return plan;
}

std::string WhyChanged(const std::string& path, int64_t size, int64_t modified,
                       LinkIdentity* identity, uint64_t* names) {
  PathStatus now;
  if (!StatPath(path, &now, false)) return now.exists ? "it cannot be examined" : "it went away";
  if (now.link) return "it is a symbolic link now";
  if (!now.regular) return "it is no regular file now";
  if (now.size != size || now.modified != modified) return "it changed since the search";
  if (identity) *identity = {now.device, now.inode};
  if (names) *names = now.names;
  return "";
}

bool DropChangedFiles(LoadedResults* results, std::vector<std::string>* dropped,
                      const std::function<bool(int64_t checked, int64_t total)>& keepGoing) {
  const int64_t total = results->files;
  int64_t checked = 0;
  int64_t left = 0;
  for (DataNode* group = results->root->FirstChild(); group;) {
    DataNode* nextGroup = group->Next();
    int64_t count = 0, size = 0;
    for (DataNode* file = group->FirstChild(); file;) {
      DataNode* next = file->Next();
      if (keepGoing && (checked & 1023) == 0 && !keepGoing(checked, total)) return false;
      ++checked;
      const std::string path = FullName(file);
      uint64_t names = 0;
      if (WhyChanged(path, file->val, file->val2, nullptr, &names).empty()) {
        if (names == 1) file->group = kFileWithOneName;
        ++count;
        size += file->val;
      } else {
        dropped->push_back(path);
        DeleteNode(file);
      }
      file = next;
    }
    if (count < 2) {
      DeleteNode(group);
    } else {
      group->val = size;
      group->val2 = count;
      left += count;
    }
    group = nextGroup;
  }
  results->files = left;
  results->root->val2 = left;
  if (keepGoing) keepGoing(total, total);
  return true;
}

std::string BackupCommentFor(const std::string& keptPath) {
  return "A duplicate of " + keptPath + ", which was kept.";
}

size_t CarryOut(std::vector<PlannedAction>* plan, const ActRequest& request,
                const ActServices& services, bool dryRun,
                const std::function<void(size_t handled)>& progress) {
  size_t failed = 0;
  const DataNode* checkedKept = nullptr;  // files of one group follow one another
  std::string keptProblem;
  LinkIdentity keptIdentity;
  // The journal hears of the files a chunk at a time: one synced write per chunk, and a
  // bounded number of intents held open.
  constexpr size_t kAnnounced = 1024;
  for (size_t i = 0; i < plan->size(); ++i) {
    if (!dryRun && services.announce && i % kAnnounced == 0) {
      std::vector<AnnouncedFile> next;
      for (size_t j = i; j < plan->size() && j < i + kAnnounced; ++j) {
        const PlannedAction& planned = (*plan)[j];
        next.push_back({planned.path, planned.file ? planned.file->val : 0,
                        planned.file ? planned.file->val2 : 0});
      }
      std::string why;
      if (!services.announce(next, &why)) {
        for (size_t j = i; j < plan->size(); ++j) (*plan)[j].reason = why;
        failed += plan->size() - i;
        break;
      }
    }
    PlannedAction& action = (*plan)[i];
    LinkIdentity identity;
    if (progress) progress(i);
    if (!action.kept) {
      action.reason = "its group keeps no copy";
    } else {
      if (action.kept != checkedKept) {
        checkedKept = action.kept;
        keptProblem =
            WhyChanged(action.keptPath, action.kept->val, action.kept->val2, &keptIdentity);
      }
      // The kept copy is checked before each file: once it is gone, acting on the others
      // would leave none.
      if (!keptProblem.empty())
        action.reason = "the kept copy " + action.keptPath + ": " + keptProblem;
      else
        action.reason = WhyChanged(action.path, action.file->val, action.file->val2, &identity);
      // The one stat of the check tells a name of the kept copy itself, made since.
      if (action.reason.empty() && identity.device == keptIdentity.device &&
          identity.inode == keptIdentity.inode)
        action.reason = "it is another name of the kept copy";
    }
    if (!action.reason.empty()) {
      ++failed;
      continue;
    }
    if (dryRun) continue;
    std::string why;
    switch (request.action) {
      case ActKind::kTrash:
        action.done = services.trash(action.path, &why);
        break;
      case ActKind::kBackup:
        action.done = services.backup(action.path, BackupCommentFor(action.keptPath), &why);
        break;
      case ActKind::kMove:
        action.done = services.move(action.path, request.moveFolder, &why);
        break;
      case ActKind::kLink:
        action.done = services.link(action.path, action.keptPath, &why);
        break;
      case ActKind::kShare:
        action.done = services.share(action.path, action.keptPath, action.file->val,
                                     action.file->val2, &action.bytes, &why);
        break;
    }
    if (!action.done) {
      action.reason = why.empty() ? "it could not be done" : why;
      ++failed;
    }
  }
  if (progress) progress(plan->size());
  return failed;
}

}  // namespace tf
