#include "ui/search_pages/criteria_page.h"

#include <string>

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/search_host.h"
#include "search/search_descriptor.h"
#include "ui/qt_text.h"
#include "ui/window/mc_main.h"

namespace tf {

namespace {

constexpr int kNameGroup = 0;
constexpr int kTimeGroup = 1;
constexpr int kSizeGroup = 2;

// The name rules in the order of their radios.
constexpr NameRule kNameRules[] = {NameRule::kExact, NameRule::kAnyExtension,
                                   NameRule::kFirstSymbols};
constexpr int kFirstSymbolsRadio = 2;

int nameRadioOf(NameRule rule) {
  for (int i = 0; i < 3; ++i)
    if (kNameRules[i] == rule) return i;
  return 0;
}

struct RadioText {
  const char* text;
  const char* tip;
};

constexpr RadioText kNameRadios[] = {
    {"Exactly the same", "Must be exactly the same"},
    {"The same file names only, extensions may be different", "Extensions may be different"},
    {"The same must be first", "The same must be first symbols..."}};
// The time radio's text ends in a blank: it is the program's own text.
constexpr RadioText kTimeRadios[] = {{"Exactly the same ", "Must be exactly the same"},
                                     {"Any (does not matter)", "Any time"}};
constexpr RadioText kSizeRadios[] = {{"Exactly the same", "Must be exactly the same"},
                                     {"Any (does not matter)", "Any size"}};

void decorate(MCMain* main, QWidget* control, const char* tip) {
  if (main)
    main->Decorate(control, -1, tip);
  else
    control->setToolTip(QtText(tip));
}

}  // namespace

CriteriaPage::CriteriaPage(SearchHost& host, MCMain* main, QWidget* parent)
    : QWidget(parent), m_host(host) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(new QLabel("Files that are considered to be \"the same\" must have :", this));

  const char* captions[3] = {"File names", "File \"last modified\" times", "File size"};
  const RadioText* radios[3] = {kNameRadios, kTimeRadios, kSizeRadios};
  const int counts[3] = {3, 2, 2};
  for (int g = 0; g < 3; ++g) {
    auto* box = new QGroupBox(captions[g], this);
    auto* boxLayout = new QVBoxLayout(box);
    for (int value = 0; value < counts[g]; ++value) {
      auto* radio = new QRadioButton(radios[g][value].text, box);
      decorate(main, radio, radios[g][value].tip);
      m_groups[g].push_back({value + 1, radio});
      connect(radio, &QRadioButton::clicked, this, [this, g, value] { radioClicked(g, value); });
      if (g == kNameGroup && value == kFirstSymbolsRadio) {
        // N stands right of its radio: "The same must be first [N] symbols in names".
        m_symbols = new QComboBox(box);
        for (int n = kMinSymbols; n <= kMaxSymbols; ++n) m_symbols->addItem(QString::number(n));
        auto* row = new QHBoxLayout;
        row->addWidget(radio);
        row->addWidget(m_symbols);
        row->addWidget(new QLabel("symbols in names", box));
        row->addStretch();
        boxLayout->addLayout(row);
      } else {
        boxLayout->addWidget(radio);
      }
    }
    layout->addWidget(box);
  }

  layout->addWidget(new QLabel("Choose pre-defined settings :", this));
  m_presets = new QComboBox(this);
  m_presets->addItem(QtText(kNoPresetText));
  for (const CriteriaPreset& preset : kCriteriaPresets) m_presets->addItem(QtText(preset.text));
  layout->addWidget(m_presets);
  layout->addStretch();

  connect(m_symbols, &QComboBox::activated, this,
          [this](int index) { m_host.Descriptor().ChooseSymbols(index); });
  connect(m_presets, &QComboBox::activated, this, [this](int index) {
    // The blank first entry changes nothing; the box then names what is in force again.
    m_host.Descriptor().ApplyPredefinedSet(index);
    Update();
  });
  m_host.Descriptor().SetPageUpdater([this] { Update(); });
  Update();
}

CriteriaPage::~CriteriaPage() {
  m_host.Descriptor().SetPageUpdater({});
}

QRadioButton* CriteriaPage::nameRadio(int value) const {
  return value >= 0 && value < 3 ? static_cast<QRadioButton*>(m_groups[kNameGroup][value].button)
                                 : nullptr;
}

QRadioButton* CriteriaPage::timeRadio(int value) const {
  return value >= 0 && value < 2 ? static_cast<QRadioButton*>(m_groups[kTimeGroup][value].button)
                                 : nullptr;
}

QRadioButton* CriteriaPage::sizeRadio(int value) const {
  return value >= 0 && value < 2 ? static_cast<QRadioButton*>(m_groups[kSizeGroup][value].button)
                                 : nullptr;
}

void CriteriaPage::Update() {
  const DuplicateCriteria criteria = m_host.Descriptor().Criteria();
  SetRadioGroup(m_groups[kNameGroup], nameRadioOf(criteria.name) + 1);
  SetRadioGroup(m_groups[kTimeGroup], criteria.sameTime ? 1 : 2);
  SetRadioGroup(m_groups[kSizeGroup], criteria.sameSize ? 1 : 2);
  if (ComboSelectText(m_symbols, std::to_string(criteria.symbols)) < 0)
    m_symbols->setCurrentIndex(-1);
  m_presets->setCurrentIndex(m_host.Descriptor().MatchingPredefinedSet());
}

void CriteriaPage::radioClicked(int which, int value) {
  SearchDescriptor& descriptor = m_host.Descriptor();
  const DuplicateCriteria stored = descriptor.Criteria();
  DuplicateCriteria chosen = stored;
  if (which == kNameGroup)
    chosen.name = kNameRules[value];
  else if (which == kTimeGroup)
    chosen.sameTime = value == 0;
  else if (which == kSizeGroup)
    chosen.sameSize = value == 0;
  if (chosen != stored) descriptor.SetCriteria(chosen, true);
}

}  // namespace tf
