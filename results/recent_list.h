// RecentList: the last texts typed into an editor (name masks, folders), newest first,
// kept as the children of an options node so they are saved with the settings.
#pragma once

#include <string>
#include <vector>

#include "datatree/data_node.h"
#include "datatree/node_ptr.h"

namespace tf {

class RecentList {
 public:
  static constexpr int kDefaultCapacity = 15;
  // Menu command of "Clear List"; entries use their 1-based position as command.
  static constexpr int kClearCommand = 1000;

  RecentList() = default;
  ~RecentList();
  RecentList(const RecentList&) = delete;
  RecentList& operator=(const RecentList&) = delete;

  // Binds to `node` (not owned; usually RecentSection of the list's name) or, when it is
  // null, to a root of its own named `name` ("recent" when null), deleted with the list.
  // The capacity comes from the node's val when non-zero, else 15 is stored there.
  int Bind(DataNode* node, const char* name);
  // Puts `text` on top: 1 when a new entry was made, 0 when an existing one (compared
  // ignoring case) was moved up or the text is empty. Entries past the capacity go.
  int AddText(const std::string& text);
  // 0-based position of the first entry equal to `text` ignoring case, or -1.
  int IndexOfText(const std::string& text, DataNode** entry = nullptr) const;
  int HasEntries() const;
  // Deletes every entry.
  void Clear();

  // The texts the recent menu shows, one per entry in order (the entry's command is its
  // index + 1); an entry without any text gives "" and gets no menu item.
  std::vector<std::string> MenuTexts() const;
  // Carries out a menu command: "Clear List" empties the list and answers false; an
  // entry's command copies its text into `out` and answers true; anything else false.
  bool ChooseMenuCommand(int command, std::string* out);

  DataNode* root() const { return m_root; }
  int capacity() const { return m_capacity; }

 private:
  DataNode* entryAt(int index) const;

  DataNode* m_root = nullptr;  // bound, or m_ownRoot
  NodePtr m_ownRoot;
  int m_capacity = kDefaultCapacity;
};

}  // namespace tf
