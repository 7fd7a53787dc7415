// AttributeFilterPage: the sub-page of the attribute filter: for each of read-only,
// archive, hidden and system, whether the bit does not matter, must be on or must be off.
#pragma once

#include "ui/search_pages/filter_sub_page.h"

class QComboBox;

namespace tf {

class AttributeFilterPage : public FilterSubPage {
  Q_OBJECT

 public:
  // The attributes, in the order the page lists them.
  static constexpr int kReadOnly = 0;
  static constexpr int kArchive = 1;
  static constexpr int kHidden = 2;
  static constexpr int kSystem = 3;

  AttributeFilterPage(SearchHost& host, MCMain* main, QWidget* parent = nullptr);

  DataNode* Node() const override;
  QComboBox* ruleCombo(int attribute) const { return m_rules[attribute]; }

 protected:
  void updateValues() override;

 private:
  QComboBox* m_rules[4] = {};
};

}  // namespace tf
