// CriteriaPage: the search window's page on which the user chooses what makes two files
// the same: the name rule (with N, the number of leading symbols), the time and size
// rules, and the predefined sets of them.
#pragma once

#include <vector>

#include <QWidget>

#include "ui/window/control_helpers.h"

class QComboBox;
class QRadioButton;

namespace tf {

class MCMain;
class SearchHost;

class CriteriaPage : public QWidget {
  Q_OBJECT

 public:
  // Registers itself as the descriptor's page for as long as it lives.
  CriteriaPage(SearchHost& host, MCMain* main, QWidget* parent = nullptr);
  ~CriteriaPage() override;
  CriteriaPage(const CriteriaPage&) = delete;
  CriteriaPage& operator=(const CriteriaPage&) = delete;

  // Shows the stored criteria as the search reads them.
  void Update();

  // The radios in the page's order: exact names, any extension, first N symbols; the
  // same time or size, any.
  QRadioButton* nameRadio(int value) const;
  QRadioButton* timeRadio(int value) const;
  QRadioButton* sizeRadio(int value) const;
  QComboBox* symbolsCombo() const { return m_symbols; }
  QComboBox* presetCombo() const { return m_presets; }

 private:
  void radioClicked(int which, int value);

  SearchHost& m_host;
  std::vector<RadioChoice> m_groups[3];  // name, time, size; ids are value + 1
  QComboBox* m_symbols = nullptr;
  QComboBox* m_presets = nullptr;
};

}  // namespace tf
