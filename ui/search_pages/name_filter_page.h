// NameFilterPage: the sub-page of the name filter: the masks of the files to take and
// of the files to leave out, each side with its shortcut, the mask collection's groups
// to choose or add, and its recent masks.
#pragma once

#include <string>

#include "ui/search_pages/filter_sub_page.h"

class QLineEdit;
class QMenu;
class QPushButton;

namespace tf {

class NameFilterPage : public FilterSubPage {
  Q_OBJECT

 public:
  // Sides of the page.
  static constexpr int kInclude = 0;
  static constexpr int kExclude = 1;

  NameFilterPage(SearchHost& host, MCMain* main, QWidget* parent = nullptr);

  DataNode* Node() const override;
  // Adds the include and exclude texts to their recent lists (not those that select
  // nothing in particular); the page is being left.
  void RememberMasks();

  QLineEdit* edit(int side) const { return m_edits[side]; }
  // "Include all files" (include side) or "Exclude no files" (exclude side).
  QPushButton* allButton(int side) const { return m_all[side]; }
  // "Choose file name (mask) filter from list".
  QPushButton* chooseButton(int side) const { return m_choose[side]; }
  // "Add file name (mask) filter".
  QPushButton* addButton(int side) const { return m_add[side]; }
  QPushButton* recentButton(int side) const { return m_recent[side]; }

 protected:
  void updateValues() override;

 private:
  void store(int side, const std::string& text);
  void setText(int side, const std::string& text);
  // The groups menu: "Cancel", a separator, the groups in number order; the chosen
  // group's masks, or false.
  bool chooseGroup(QPushButton* under, std::string* masks);
  void showRecent(int side);
  void updateRecentButtons();

  QLineEdit* m_edits[2] = {};
  QPushButton* m_all[2] = {};
  QPushButton* m_choose[2] = {};
  QPushButton* m_add[2] = {};
  QPushButton* m_recent[2] = {};
};

}  // namespace tf
