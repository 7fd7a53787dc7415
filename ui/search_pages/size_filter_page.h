// SizeFilterPage: the sub-page of the size filter: at least, at most or between, and
// one or two sizes, each with its unit.
#pragma once

#include "ui/search_pages/filter_sub_page.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace tf {

class SizeFilterPage : public FilterSubPage {
  Q_OBJECT

 public:
  SizeFilterPage(SearchHost& host, MCMain* main, QWidget* parent = nullptr);

  DataNode* Node() const override;

  QComboBox* switchCombo() const { return m_switch; }
  // Value and unit of size 1 or 2.
  QLineEdit* valueEdit(int which) const { return m_values[which - 1]; }
  QComboBox* unitsCombo(int which) const { return m_units[which - 1]; }

 protected:
  void updateValues() override;

 private:
  // The second size only for "Between".
  void showSecond();

  QComboBox* m_switch = nullptr;
  QLineEdit* m_values[2] = {};
  QComboBox* m_units[2] = {};
  QLabel* m_and = nullptr;
};

}  // namespace tf
