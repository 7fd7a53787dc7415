// ScriptedSearchHost: the program's side of the search window for tests: a real search
// descriptor whose folder lists change as the controller would change them, scan
// statuses set by the test, recent sections under an options root of its own, the
// built-in mask collection, and scripted answers to questions.
#pragma once

#include <map>

#include <QAbstractButton>
#include <QTest>

#include "app/search_host.h"
#include "scan/filter_clock.h"
#include "scan/folder_list.h"
#include "scan/mask_collection.h"
#include "tests/support/scripted_questions.h"

namespace tf::testing {

class ScriptedSearchHost : public SearchHost {
 public:
  ScriptedSearchHost() {
    descriptor.Create(clock);
    options = CreateNode(nullptr, "options", ATTACH_ROOT);
    masks.AddBuiltInGroups();
  }
  ~ScriptedSearchHost() override { DeleteNode(options); }

  SearchDescriptor& Descriptor() override { return descriptor; }
  int ChangeIncludeFolder(bool add, const std::string& path) override {
    changes.push_back((add ? "+inc " : "-inc ") + path);
    return add ? AddInclude(descriptor.Root(), path) : RemoveInclude(descriptor.Root(), path);
  }
  int ChangeExcludeFolder(bool add, const std::string& path) override {
    changes.push_back((add ? "+exc " : "-exc ") + path);
    return add ? AddExclude(descriptor.Root(), path) : RemoveExclude(descriptor.Root(), path);
  }
  std::string FolderStatus(const std::string& path) override {
    const auto it = statuses.find(path);
    return it == statuses.end() ? std::string() : it->second;
  }
  DataNode* RecentSection(const std::string& name) override {
    DataNode* node = FindChild(options, name.c_str());
    return node ? node : CreateNode(options, name.c_str(), ATTACH_LAST_CHILD);
  }
  const MaskCollection* Masks() override { return &masks; }
  int BrowseMode() override { return browseMode; }
  Questions& Ask() override { return questions; }

  int browseMode = 0;
  UtcFilterClock clock;
  SearchDescriptor descriptor;
  DataNode* options = nullptr;
  ScriptedQuestions questions;
  MaskCollection masks;  // the built-in groups
  std::map<std::string, std::string> statuses;
  std::vector<std::string> changes;  // "+inc /path", "-exc /path", ... in order
};

// Clicks a check box or radio on its mark: it takes clicks there and on its text only.
inline void ClickMark(QAbstractButton* button) {
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

}  // namespace tf::testing
