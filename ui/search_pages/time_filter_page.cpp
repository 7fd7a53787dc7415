#include "ui/search_pages/time_filter_page.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "app/search_host.h"
#include "scan/filter_editing.h"
#include "scan/filter_nodes.h"
#include "search/search_descriptor.h"

namespace tf {

namespace {

constexpr int kChoicePrevious = 3;
constexpr int kChoiceDate = 4;
constexpr int kDateBefore = 1;
constexpr int kDateBetween = 2;
constexpr int kMaxPrevValue = 12;
constexpr int kFirstTypedYear = 1970;
constexpr int kLastTypedYear = 9999;
constexpr const char* kChoiceTexts[5] = {"Today", "This week (Sunday...Today)",
                                         "This month (1st day of the current month...Today)",
                                         "During the previous", "Date"};
constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

QComboBox* makeCombo(QWidget* parent, const QStringList& texts) {
  auto* combo = new QComboBox(parent);
  combo->addItems(texts);
  combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  return combo;
}

int shownIndex(int32_t code, int count, int fallback = 0) {
  return code >= 0 && code < count ? code : fallback;
}

}  // namespace

TimeFilterPage::TimeFilterPage(SearchHost& host, MCMain* main, const FilterClock& clock,
                               QWidget* parent)
    : FilterSubPage(host, main, parent), m_clock(clock) {
  // The caption ends in a blank: it reads on into the list beside it.
  auto* caption = new QHBoxLayout;
  caption->addWidget(new QLabel("Include files that have been ", this));
  m_mode = makeCombo(this, {"modified", "created", "last accessed"});
  caption->addWidget(m_mode);
  caption->addStretch();
  body()->addLayout(caption);

  m_choices = new QButtonGroup(this);
  QRadioButton* radios[5];
  for (int choice = 0; choice < 5; ++choice) {
    radios[choice] = new QRadioButton(kChoiceTexts[choice], this);
    m_choices->addButton(radios[choice], choice);
  }
  for (int choice = 0; choice < kChoicePrevious; ++choice) body()->addWidget(radios[choice]);

  QStringList counts;
  for (int n = 1; n <= kMaxPrevValue; ++n) counts << QString::number(n);
  m_prevValue = makeCombo(this, counts);
  m_prevUnits = makeCombo(this, {"day(s)", "week(s)", "month(s)"});
  auto* previous = new QHBoxLayout;
  previous->addWidget(radios[kChoicePrevious]);
  previous->addWidget(m_prevValue);
  previous->addWidget(m_prevUnits);
  previous->addStretch();
  body()->addLayout(previous);

  m_dateMode = makeCombo(this, {"After", "Before", "Between"});
  auto* dates = new QGridLayout;
  dates->addWidget(radios[kChoiceDate], 0, 0);
  dates->addWidget(m_dateMode, 0, 1);
  m_and = new QLabel("and", this);
  m_and->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  dates->addWidget(m_and, 1, 1);
  QStringList years, months, days;
  for (int year : OfferedYears(m_clock)) years << QString::number(year);
  for (const char* month : kMonths) months << month;
  for (int day = 1; day <= 31; ++day) days << QString::number(day);
  for (int i = 0; i < 2; ++i) {
    const int which = i + 1;
    m_date[i][kDateYear] = makeCombo(this, years);
    m_date[i][kDateMonth] = makeCombo(this, months);
    m_date[i][kDateDay] = makeCombo(this, days);
    auto* date = new QHBoxLayout;
    for (int part = kDateYear; part <= kDateDay; ++part) {
      date->addWidget(m_date[i][part]);
      connect(m_date[i][part], &QComboBox::activated, this,
              [this, which, part](int index) { datePartChosen(which, part, index); });
    }
    // The list offers the last ten years; any year from 1970 on may be typed, as the
    // command line takes any date.
    QComboBox* year = m_date[i][kDateYear];
    year->setEditable(true);
    year->setInsertPolicy(QComboBox::NoInsert);
    year->setValidator(new QIntValidator(kFirstTypedYear, kLastTypedYear, year));
    connect(year->lineEdit(), &QLineEdit::editingFinished, this,
            [this, which] { yearTyped(which); });
    date->addStretch();
    dates->addLayout(date, i, 2);
  }
  dates->setColumnStretch(2, 1);
  body()->addLayout(dates);

  connect(m_mode, &QComboBox::activated, this, [this](int index) { SetTimeMode(Node(), index); });
  connect(m_choices, &QButtonGroup::idClicked, this, [this](int choice) { choose(choice); });
  connect(m_prevValue, &QComboBox::activated, this, [this](int index) {
    SetTimePrevValue(Node(), index + 1);
    choose(kChoicePrevious);
  });
  connect(m_prevUnits, &QComboBox::activated, this, [this](int index) {
    SetTimePrevUnits(Node(), index);
    choose(kChoicePrevious);
  });
  connect(m_dateMode, &QComboBox::activated, this, [this](int index) {
    SetTimeDateMode(Node(), index);
    showSecond();
  });
  Update();
}

DataNode* TimeFilterPage::Node() const {
  return descriptor().TimeFilterNode();
}

QRadioButton* TimeFilterPage::choiceRadio(int choice) const {
  return qobject_cast<QRadioButton*>(m_choices->button(choice));
}

void TimeFilterPage::updateValues() {
  DataNode* node = Node();
  m_mode->setCurrentIndex(shownIndex(GetTimeMode(node), 3));
  m_choices->button(shownIndex(GetTimeSwitch(node), 5))->setChecked(true);
  const int32_t prev = GetTimePrevValue(node);
  m_prevValue->setCurrentIndex(prev >= 1 && prev <= kMaxPrevValue ? prev - 1 : -1);
  m_prevUnits->setCurrentIndex(shownIndex(GetTimePrevUnits(node), 3));
  // The filter reads an unknown date mode as "Before".
  m_dateMode->setCurrentIndex(shownIndex(GetTimeDateMode(node), 3, kDateBefore));
  showDate(1);
  showDate(2);
  showSecond();
}

void TimeFilterPage::choose(int choice) {
  SetTimeSwitch(Node(), choice);
  m_choices->button(choice)->setChecked(true);
}

void TimeFilterPage::datePartChosen(int which, int part, int index) {
  int value = index + 1;  // months and days count from 1
  if (part == kDateYear) value = m_date[which - 1][kDateYear]->itemText(index).toInt();
  StoreDatePart(Node(), which, part, value, m_clock);
  // The day may have been cut to the month's length.
  showDate(which);
  m_choices->button(kChoiceDate)->setChecked(true);
}

void TimeFilterPage::yearTyped(int which) {
  QComboBox* year = m_date[which - 1][kDateYear];
  bool number = false;
  const int value = year->currentText().toInt(&number);
  if (!number || value < kFirstTypedYear || value > kLastTypedYear) {
    showDate(which);  // a partial or empty entry gives the stored year back
    return;
  }
  const CalendarDate stored =
      StoredDate(which == 2 ? GetTimeDate2(Node()) : GetTimeDate1(Node()), m_clock);
  if (stored.year == value && m_choices->checkedId() == kChoiceDate) return;
  StoreDatePart(Node(), which, kDateYear, value, m_clock);
  showDate(which);
  m_choices->button(kChoiceDate)->setChecked(true);
}

void TimeFilterPage::showDate(int which) {
  DataNode* node = Node();
  if (!node) return;
  const CalendarDate date =
      StoredDate(which == 2 ? GetTimeDate2(node) : GetTimeDate1(node), m_clock);
  QComboBox* const* combos = m_date[which - 1];
  // A year older than the list shows as typed; choosing a month or day keeps it.
  const QString year = QString::number(date.year);
  combos[kDateYear]->setCurrentIndex(combos[kDateYear]->findText(year));
  combos[kDateYear]->setEditText(year);
  combos[kDateMonth]->setCurrentIndex(date.month - 1);
  combos[kDateDay]->setCurrentIndex(date.day - 1);
}

void TimeFilterPage::showSecond() {
  const bool between = m_dateMode->currentIndex() == kDateBetween;
  m_and->setVisible(between);
  for (QComboBox* combo : m_date[1]) combo->setVisible(between);
}

}  // namespace tf
