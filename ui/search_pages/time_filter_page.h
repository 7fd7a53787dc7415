// TimeFilterPage: the sub-page of the time filter: which time of a file is judged, and
// the period: today, this week, this month, the previous N days, weeks or months, or
// after, before or between dates chosen from year, month and day lists.
#pragma once

#include "ui/search_pages/filter_sub_page.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QRadioButton;

namespace tf {

class FilterClock;

class TimeFilterPage : public FilterSubPage {
  Q_OBJECT

 public:
  // The dates are shown and stored in the clock's local time; it must outlive the page.
  TimeFilterPage(SearchHost& host, MCMain* main, const FilterClock& clock,
                 QWidget* parent = nullptr);

  DataNode* Node() const override;

  QComboBox* modeCombo() const { return m_mode; }
  // The radio of a "switch" value (0 today .. 4 date).
  QRadioButton* choiceRadio(int choice) const;
  QComboBox* prevValueCombo() const { return m_prevValue; }
  QComboBox* prevUnitsCombo() const { return m_prevUnits; }
  QComboBox* dateModeCombo() const { return m_dateMode; }
  // Year, month or day list (kDateYear..kDateDay) of date 1 or 2.
  QComboBox* dateCombo(int which, int part) const { return m_date[which - 1][part]; }

 protected:
  void updateValues() override;

 private:
  void choose(int choice);
  void datePartChosen(int which, int part, int index);
  void yearTyped(int which);
  void showDate(int which);
  // The second date only for "Between".
  void showSecond();

  const FilterClock& m_clock;
  QComboBox* m_mode = nullptr;
  QButtonGroup* m_choices = nullptr;
  QComboBox* m_prevValue = nullptr;
  QComboBox* m_prevUnits = nullptr;
  QComboBox* m_dateMode = nullptr;
  QComboBox* m_date[2][3] = {};
  QLabel* m_and = nullptr;
};

}  // namespace tf
