// CriteriaPage: the search window's page on which the user chooses what makes two files
// the same: the name rule (with N, the number of leading symbols, or the similarity), how
// names compare, the time rule and its tolerance, the size rule, which groups are kept,
// and the predefined sets of them.
#pragma once

#include <vector>

#include <QWidget>

#include "duplicates/duplicate_criteria.h"
#include "ui/window/control_helpers.h"

class QCheckBox;
class QComboBox;
class QLayout;
class QRadioButton;
class QSpinBox;

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

  // The radios in the page's order: exact names, any extension, first N symbols, similar
  // names; the same time or size, any.
  QRadioButton* nameRadio(int value) const;
  QRadioButton* timeRadio(int value) const;
  QRadioButton* sizeRadio(int value) const;
  QComboBox* symbolsCombo() const { return m_symbols; }
  QComboBox* presetCombo() const { return m_presets; }
  QSpinBox* similaritySpin() const { return m_similarity; }
  QSpinBox* toleranceSpin() const { return m_tolerance; }
  QCheckBox* foldCaseBox() const { return m_foldCase; }
  QCheckBox* normalizeBox() const { return m_normalize; }
  QCheckBox* acrossRootsBox() const { return m_acrossRoots; }
  QCheckBox* withProtectedBox() const { return m_withProtected; }
  QCheckBox* findFoldersBox() const { return m_findFolders; }

 private:
  void radioClicked(int which, int value);
  // Stores the criteria as the page's controls changed them.
  void store(const DuplicateCriteria& chosen);
  QCheckBox* addCheck(QLayout* layout, const char* text, const char* tip,
                      bool DuplicateCriteria::*flag);

  SearchHost& m_host;
  std::vector<RadioChoice> m_groups[3];  // name, time, size; ids are value + 1
  QComboBox* m_symbols = nullptr;
  QComboBox* m_presets = nullptr;
  QSpinBox* m_similarity = nullptr;
  QSpinBox* m_tolerance = nullptr;
  QCheckBox* m_foldCase = nullptr;
  QCheckBox* m_normalize = nullptr;
  QCheckBox* m_acrossRoots = nullptr;
  QCheckBox* m_withProtected = nullptr;
  QCheckBox* m_findFolders = nullptr;
  MCMain* m_main = nullptr;
};

}  // namespace tf
