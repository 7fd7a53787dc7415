#include "ui/search_pages/criteria_page.h"

#include <string>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
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
                                   NameRule::kFirstSymbols, NameRule::kSimilar};
constexpr int kNameRadioCount = 4;
constexpr int kFirstSymbolsRadio = 2;
constexpr int kSimilarRadio = 3;
constexpr int kSameTimeRadio = 0;

int nameRadioOf(NameRule rule) {
  for (int i = 0; i < kNameRadioCount; ++i)
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
    {"The same must be first", "The same must be first symbols..."},
    {"Similar names", "Names that differ by a few characters; extensions must be the same"}};
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
    : QWidget(parent), m_host(host), m_main(main) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(new QLabel("Files that are considered to be \"the same\" must have :", this));

  const char* captions[3] = {"File names", "File \"last modified\" times", "File size"};
  const RadioText* radios[3] = {kNameRadios, kTimeRadios, kSizeRadios};
  const int counts[3] = {kNameRadioCount, 2, 2};
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
      } else if (g == kNameGroup && value == kSimilarRadio) {
        m_similarity = new QSpinBox(box);
        m_similarity->setRange(kMinSimilarity, kMaxSimilarity);
        m_similarity->setKeyboardTracking(false);
        auto* label = new QLabel("Similarity (%)", box);
        label->setBuddy(m_similarity);
        decorate(main, m_similarity, "How alike two names must be, from 50 to 100 %");
        auto* row = new QHBoxLayout;
        row->addWidget(radio);
        row->addWidget(label);
        row->addWidget(m_similarity);
        row->addStretch();
        boxLayout->addLayout(row);
      } else if (g == kTimeGroup && value == kSameTimeRadio) {
        m_tolerance = new QSpinBox(box);
        m_tolerance->setRange(0, kMaxTimeTolerance);
        m_tolerance->setKeyboardTracking(false);
        auto* label = new QLabel("Time tolerance (seconds)", box);
        label->setBuddy(m_tolerance);
        decorate(main, m_tolerance,
                 "Times this many seconds apart still count as the same (2 suits FAT media)");
        auto* row = new QHBoxLayout;
        row->addWidget(radio);
        row->addWidget(label);
        row->addWidget(m_tolerance);
        row->addStretch();
        boxLayout->addLayout(row);
      } else {
        boxLayout->addWidget(radio);
      }
    }
    if (g == kNameGroup) {
      auto* checks = new QHBoxLayout;
      m_foldCase = addCheck(checks, "Case-insensitive names",
                            "Report.TXT and report.txt, STRASSE and straße match",
                            &DuplicateCriteria::foldCase);
      m_normalize =
          addCheck(checks, "Unicode-equivalent names", "A composed and a decomposed accent match",
                   &DuplicateCriteria::normalize);
      checks->addStretch();
      boxLayout->addLayout(checks);
    }
    layout->addWidget(box);
  }
  auto* groups = new QGroupBox("Groups", this);
  auto* groupsLayout = new QVBoxLayout(groups);
  m_acrossRoots = addCheck(groupsLayout, "Only groups across search folders",
                           "Only groups whose files lie under two or more search folders",
                           &DuplicateCriteria::acrossRoots);
  m_withProtected =
      addCheck(groupsLayout, "Only groups with a protected file",
               "Only groups that hold a file of a protected folder: its reference copy",
               &DuplicateCriteria::withProtected);
  m_findFolders = addCheck(groupsLayout, "Find duplicate f&olders",
                           "Also find whole folders that hold the same files, for the "
                           "\"Duplicate folders\" view",
                           &DuplicateCriteria::findFolders);
  layout->addWidget(groups);

  layout->addWidget(new QLabel("Choose pre-defined settings :", this));
  m_presets = new QComboBox(this);
  m_presets->addItem(QtText(kNoPresetText));
  for (const CriteriaPreset& preset : kCriteriaPresets) m_presets->addItem(QtText(preset.text));
  layout->addWidget(m_presets);
  layout->addStretch();

  connect(m_symbols, &QComboBox::activated, this,
          [this](int index) { m_host.Descriptor().ChooseSymbols(index); });
  connect(m_similarity, &QSpinBox::valueChanged, this,
          [this](int percent) { store(m_host.Descriptor().Criteria().WithSimilarity(percent)); });
  connect(m_tolerance, &QSpinBox::valueChanged, this, [this](int seconds) {
    DuplicateCriteria chosen = m_host.Descriptor().Criteria();
    chosen.timeTolerance = seconds;
    store(chosen);
  });
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

QCheckBox* CriteriaPage::addCheck(QLayout* layout, const char* text, const char* tip,
                                  bool DuplicateCriteria::*flag) {
  auto* box = new QCheckBox(text, this);
  decorate(m_main, box, tip);
  layout->addWidget(box);
  connect(box, &QCheckBox::clicked, this, [this, flag](bool on) {
    DuplicateCriteria chosen = m_host.Descriptor().Criteria();
    chosen.*flag = on;
    store(chosen);
  });
  return box;
}

void CriteriaPage::store(const DuplicateCriteria& chosen) {
  if (chosen != m_host.Descriptor().Criteria()) m_host.Descriptor().SetCriteria(chosen, true);
}

QRadioButton* CriteriaPage::nameRadio(int value) const {
  return value >= 0 && value < kNameRadioCount
             ? static_cast<QRadioButton*>(m_groups[kNameGroup][value].button)
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
  {  // showing the stored values is no choice of the user's
    const QSignalBlocker similarity(m_similarity);
    const QSignalBlocker tolerance(m_tolerance);
    m_similarity->setValue(criteria.similarity);
    m_tolerance->setValue(criteria.timeTolerance);
  }
  m_tolerance->setEnabled(criteria.sameTime);
  m_foldCase->setChecked(criteria.foldCase);
  m_normalize->setChecked(criteria.normalize);
  m_acrossRoots->setChecked(criteria.acrossRoots);
  m_withProtected->setChecked(criteria.withProtected);
  m_findFolders->setChecked(criteria.findFolders);
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
  if (chosen != stored) store(chosen);
}

}  // namespace tf
