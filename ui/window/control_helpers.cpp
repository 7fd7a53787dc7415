#include "ui/window/control_helpers.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QWidget>

#include "ui/qt_text.h"

namespace tf {

void SetRedraw(QWidget* window, bool on) {
  window->setUpdatesEnabled(on);
  if (on) window->repaint();
}

int SetCheck(QAbstractButton* button, int state) {
  const bool checked = state == 2 ? !button->isChecked() : state != 0;
  button->setChecked(checked);
  return button->isChecked() ? 1 : 0;
}

bool IsChecked(const QAbstractButton* button) {
  return button->isChecked();
}

void EnableControl(QWidget* control, bool enable) {
  if (control->isEnabled() != enable) control->setEnabled(enable);
}

QPushButton* MakeButton(const ButtonText& text, QWidget* parent) {
  auto* button = new QPushButton(QtText(text.caption), parent);
  if (text.toolTip) button->setToolTip(QtText(text.toolTip));
  return button;
}

QPushButton* MakeDialogButton(const ButtonText& text, QWidget* parent) {
  QPushButton* button = MakeButton(text, parent);
  button->setAutoDefault(false);
  return button;
}

std::vector<QPushButton*> MakeCommandButtons(std::span<const ButtonText> texts, QWidget* parent,
                                             const std::function<void(int)>& run) {
  std::vector<QPushButton*> buttons;
  for (const ButtonText& text : texts) {
    QPushButton* button = MakeButton(text, parent);
    button->setEnabled(false);
    const int command = static_cast<int>(buttons.size());
    QObject::connect(button, &QPushButton::clicked, parent, [run, command] { run(command); });
    buttons.push_back(button);
  }
  return buttons;
}

QPushButton* MakeChooserButton(const char* toolTip, QWidget* parent) {
  QPushButton* button = MakeDialogButton({"...", toolTip}, parent);
  // Wide enough for its three dots in any style, no wider.
  button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
  return button;
}

OkCancel AddOkCancel(QDialog* dialog, QBoxLayout* layout, const OkCancelRow& row) {
  auto* buttons = new QDialogButtonBox(dialog);
  const OkCancel made{
      row.ok.caption ? buttons->addButton(QtText(row.ok.caption), QDialogButtonBox::AcceptRole)
                     : buttons->addButton(QDialogButtonBox::Ok),
      row.cancel.caption
          ? buttons->addButton(QtText(row.cancel.caption), QDialogButtonBox::RejectRole)
          : buttons->addButton(QDialogButtonBox::Cancel)};
  made.ok->setToolTip(QtText(row.ok.toolTip));
  made.cancel->setToolTip(QtText(row.cancel.toolTip));
  made.ok->setDefault(true);
  const std::function<bool()> mayAccept = row.mayAccept;
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, [dialog, mayAccept] {
    if (!mayAccept || mayAccept()) dialog->accept();
  });
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  if (row.left.empty()) {
    layout->addWidget(buttons);
  } else {
    auto* line = new QHBoxLayout;
    for (QPushButton* button : row.left) line->addWidget(button);
    line->addStretch(1);
    line->addWidget(buttons);
    layout->addLayout(line);
  }
  return made;
}

OkCancel AddOkCancel(QDialog* dialog, QBoxLayout* layout, const char* okTip,
                     const char* cancelTip) {
  return AddOkCancel(dialog, layout, OkCancelRow{{nullptr, okTip}, {nullptr, cancelTip}, {}, {}});
}

void MarkDeleteButton(QPushButton* button) {
  QPalette palette = button->palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
    palette.setColor(group, QPalette::ButtonText, QColor(128, 0, 0));
  button->setPalette(palette);
}

void SetRadioGroup(const std::vector<RadioChoice>& group, int value) {
  for (const RadioChoice& choice : group) {
    QAbstractButton* button = choice.button;
    // Exclusive groups refuse to clear their checked button; lift that for the moment.
    QButtonGroup* buttonGroup = button->group();
    const bool groupExclusive = buttonGroup && buttonGroup->exclusive();
    const bool autoExclusive = button->autoExclusive();
    if (groupExclusive) buttonGroup->setExclusive(false);
    button->setAutoExclusive(false);
    button->setChecked(choice.id == value);
    button->setAutoExclusive(autoExclusive);
    if (groupExclusive) buttonGroup->setExclusive(true);
  }
}

int RadioValue(const std::vector<RadioChoice>& group) {
  for (const RadioChoice& choice : group)
    if (choice.button->isChecked()) return choice.id;
  return 0;
}

void ComboClear(QComboBox* combo) {
  combo->clear();
}

int ComboFill(QComboBox* combo, const std::vector<std::string>& texts, int count) {
  int added = 0;
  for (const std::string& text : texts) {
    if (text.empty() || (count >= 0 && added >= count)) break;
    ComboAdd(combo, text);
    ++added;
  }
  return added;
}

int ComboAdd(QComboBox* combo, const std::string& text) {
  combo->addItem(QtText(text));
  return combo->count() - 1;
}

int ComboSelectText(QComboBox* combo, const std::string& text) {
  const int index = combo->findText(QtText(text), Qt::MatchExactly);
  if (index >= 0) combo->setCurrentIndex(index);
  return index;
}

int ComboSelection(const QComboBox* combo) {
  return combo->currentIndex();
}

void SetUpRowList(QTableView* list, bool severalRows) {
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setSelectionMode(severalRows ? QAbstractItemView::ExtendedSelection
                                     : QAbstractItemView::SingleSelection);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setShowGrid(true);
  list->setWordWrap(false);
  list->setTextElideMode(Qt::ElideMiddle);
  list->setTabKeyNavigation(false);
  list->setCornerButtonEnabled(false);
  QHeaderView* rowsHeader = list->verticalHeader();
  rowsHeader->hide();
  rowsHeader->setSectionResizeMode(QHeaderView::Fixed);
  rowsHeader->setDefaultSectionSize(list->fontMetrics().height() + 4);
  QHeaderView* header = list->horizontalHeader();
  header->setSectionsClickable(true);
  header->setHighlightSections(false);
  header->setStretchLastSection(false);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

}  // namespace tf
