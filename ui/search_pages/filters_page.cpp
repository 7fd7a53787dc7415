#include "ui/search_pages/filters_page.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "scan/filter_nodes.h"
#include "search/local_filter_clock.h"
#include "ui/qt_text.h"
#include "ui/search_pages/attribute_filter_page.h"
#include "ui/search_pages/name_filter_page.h"
#include "ui/search_pages/size_filter_page.h"
#include "ui/search_pages/time_filter_page.h"
#include "ui/window/mc_main.h"

namespace tf {

namespace {

constexpr const char* kSelectorTexts[4] = {"File name(mask) filter", "File size filter",
                                           "File time filter", "File attributes filter"};
// The text colour of the selector button of an enabled filter.
const QColor kEnabledText(0, 110, 0);

}  // namespace

FiltersPage::FiltersPage(SearchHost& host, MCMain* main, const FilterClock* clock, QWidget* parent)
    : QWidget(parent) {
  if (!clock) {
    m_ownClock = std::make_unique<LocalFilterClock>();
    clock = m_ownClock.get();
  }
  // Checked one at a time by ShowSubPage and kept out of a button group: in a group, Tab
  // would stop only at the checked button, and every selector is a stop of its own.
  auto* selector = new QGridLayout;
  selector->setSpacing(2);
  for (int i = 0; i < 4; ++i) {
    auto* button = new QPushButton(kSelectorTexts[i], this);
    button->setCheckable(true);
    connect(button, &QPushButton::clicked, this, [this, i] { ShowSubPage(i); });
    selector->addWidget(button, i / 2, i % 2);
    m_selector[static_cast<size_t>(i)] = button;
  }

  m_stack = new QStackedWidget(this);
  m_name = new NameFilterPage(host, main, m_stack);
  m_size = new SizeFilterPage(host, main, m_stack);
  m_time = new TimeFilterPage(host, main, *clock, m_stack);
  m_attributes = new AttributeFilterPage(host, main, m_stack);
  for (int i = 0; i < 4; ++i) {
    FilterSubPage* sub = subPage(i);
    m_stack->addWidget(sub);
    connect(sub, &FilterSubPage::enabledChanged, this, &FiltersPage::updateSelector);
  }

  auto* line = new QFrame(this);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(selector);
  layout->addWidget(line);
  layout->addWidget(m_stack, 1);

  m_selector[kNamePage]->setChecked(true);
  m_stack->setCurrentIndex(kNamePage);
  updateSelector();
}

FiltersPage::~FiltersPage() = default;

FilterSubPage* FiltersPage::subPage(int index) const {
  switch (index) {
    case kNamePage:
      return m_name;
    case kSizePage:
      return m_size;
    case kTimePage:
      return m_time;
    case kAttributePage:
      return m_attributes;
    default:
      return nullptr;
  }
}

void FiltersPage::Update() {
  for (int i = 0; i < 4; ++i) subPage(i)->Update();
  updateSelector();
}

void FiltersPage::ShowSubPage(int index) {
  if (!subPage(index)) return;
  for (int i = 0; i < 4; ++i) m_selector[static_cast<size_t>(i)]->setChecked(i == index);
  if (index == m_current) return;
  if (m_current == kNamePage) m_name->RememberMasks();
  m_current = index;
  m_stack->setCurrentIndex(index);
}

void FiltersPage::Leave() {
  if (m_current == kNamePage) m_name->RememberMasks();
}

void FiltersPage::updateSelector() {
  for (int i = 0; i < 4; ++i)
    MarkFilterOn(m_selector[static_cast<size_t>(i)], GetFilterEnabled(subPage(i)->Node()) != 0);
  emit filtersOnChanged();
}

QStringList FiltersPage::FiltersOn() const {
  QStringList on;
  for (int i = 0; i < 4; ++i)
    if (GetFilterEnabled(subPage(i)->Node()) != 0) on << QtText(kSelectorTexts[i]);
  return on;
}

void FiltersPage::MarkFilterOn(QWidget* button, bool on, const QFont* plain) {
  QFont font = plain ? *plain : button->font();
  font.setBold(on || (plain && plain->bold()));
  button->setFont(font);
  QPalette palette = button->palette();
  palette.setColor(QPalette::ButtonText,
                   on ? kEnabledText : QPalette().color(QPalette::ButtonText));
  button->setPalette(palette);
}

}  // namespace tf
