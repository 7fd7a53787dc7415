#include "ui/dialogs/mask_collection_dialog.h"

#include <cstring>

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/stored_file.h"
#include "ui/qt_text.h"
#include "ui/window/control_helpers.h"

namespace tf {

namespace {

std::string bytesOf(const QLineEdit* box) {
  return box->text().toUtf8().toStdString();
}

// The buttons that change single groups; the view leaves them out.
constexpr const char* kGroupButtons[] = {"Create New Group", "Delete Selected", "Move Up",
                                         "Move Down",        "Accept Changes",  "Discard Changes"};

}  // namespace

MaskCollectionDialog::MaskCollectionDialog(const MaskCollection& source, Questions& questions,
                                           std::string folder, Mode mode, QWidget* parent)
    : QDialog(parent), m_editor(source, questions), m_folder(std::move(folder)) {
  setObjectName(mode == Mode::kEdit ? QStringLiteral("MaskCollectionDialog")
                                    : QStringLiteral("FileFiltersView"));
  setWindowTitle(mode == Mode::kEdit ? QStringLiteral("Edit mask collection")
                                     : QStringLiteral("File Filters"));
  build(mode);
  refill();
  m_groups->setFocus();
}

MaskCollectionDialog::~MaskCollectionDialog() = default;

QPushButton* MaskCollectionDialog::addButton(const char* text, const char* tip) {
  QPushButton* button = MakeDialogButton({text, tip}, this);
  button->setObjectName(QtText(text));
  m_buttons.push_back(button);
  return button;
}

QPushButton* MaskCollectionDialog::button(const char* text) const {
  for (QPushButton* button : m_buttons)
    if (button->objectName() == QtText(text)) return button;
  return nullptr;
}

void MaskCollectionDialog::build(Mode mode) {
  m_groups = new QListWidget(this);
  m_groups->setSelectionMode(QAbstractItemView::SingleSelection);
  QPushButton* create = addButton("Create New Group", "Create new group");
  QPushButton* remove = addButton("Delete Selected", "Delete selected group");
  QPushButton* up = addButton("Move Up", "Move group up");
  QPushButton* down = addButton("Move Down", "Move group down");
  auto* listButtons = new QVBoxLayout;
  for (QPushButton* b : {create, remove, up, down}) listButtons->addWidget(b);
  listButtons->addStretch();
  auto* listRow = new QHBoxLayout;
  listRow->addWidget(m_groups, 1);
  listRow->addLayout(listButtons);

  m_name = new QLineEdit(this);
  m_masks = new QLineEdit(this);
  m_enabled = new QCheckBox(QStringLiteral("Enabled"), this);
  m_enabled->setToolTip(QStringLiteral("Enable filter"));
  m_temporary = new QCheckBox(QStringLiteral("Temporary (can be deleted)"), this);
  m_temporary->setToolTip(QStringLiteral("Temporary filter (these files can be deleted)"));
  auto* flags = new QGroupBox(QStringLiteral("Enable File Filters"), this);
  auto* flagsLayout = new QHBoxLayout(flags);
  flagsLayout->addWidget(m_enabled);
  flagsLayout->addWidget(m_temporary);
  flagsLayout->addStretch();
  QPushButton* accept = addButton("Accept Changes", "Accept changes");
  QPushButton* discard = addButton("Discard Changes", "Skip changes");
  auto* fields = new QGridLayout;
  fields->addWidget(new QLabel(QStringLiteral("Group name"), this), 0, 0);
  fields->addWidget(m_name, 0, 1);
  fields->addWidget(new QLabel(QStringLiteral("Mask:"), this), 1, 0);
  fields->addWidget(m_masks, 1, 1);
  fields->addWidget(flags, 2, 0, 1, 2);
  auto* fieldButtons = new QHBoxLayout;
  fieldButtons->addStretch();
  fieldButtons->addWidget(accept);
  fieldButtons->addWidget(discard);
  fields->addLayout(fieldButtons, 3, 0, 1, 2);

  QPushButton* fresh = addButton("Create new collection", "Create new (empty) mask collection");
  QPushButton* load = addButton("Load", "Load mask collection from file");
  QPushButton* save = addButton("Save", "Save mask collection to file");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Groups:"), this));
  layout->addLayout(listRow, 1);
  layout->addLayout(fields);
  const OkCancel okCancel = AddOkCancel(
      this, layout,
      OkCancelRow{{nullptr, nullptr}, {nullptr, "Close dialog"}, {fresh, load, save}, {}});
  QPushButton* ok = okCancel.ok;
  QPushButton* cancel = okCancel.cancel;
  // The tests and the kView mode find them by their captions, as the other buttons.
  ok->setObjectName(QStringLiteral("OK"));
  cancel->setObjectName(QStringLiteral("Cancel"));
  m_buttons.push_back(ok);
  m_buttons.push_back(cancel);
  resize(fontMetrics().averageCharWidth() * 80, fontMetrics().height() * 26);

  connect(m_groups, &QListWidget::currentRowChanged, this, [this](int row) {
    if (m_filling) return;
    m_editor.Select(row + 1);
    showSelected();
  });
  connect(create, &QPushButton::clicked, this, [this] { createGroup(); });
  connect(remove, &QPushButton::clicked, this, [this] { deleteGroup(); });
  connect(up, &QPushButton::clicked, this, [this] { move(true); });
  connect(down, &QPushButton::clicked, this, [this] { move(false); });
  connect(accept, &QPushButton::clicked, this, [this] { acceptChanges(); });
  connect(discard, &QPushButton::clicked, this, [this] { showSelected(); });
  connect(fresh, &QPushButton::clicked, this, [this] { createCollection(); });
  connect(load, &QPushButton::clicked, this, [this] { this->load(); });
  connect(save, &QPushButton::clicked, this, [this] { this->save(); });

  if (mode == Mode::kView) {
    // A view of the groups: nothing in it changes the collection.
    for (const char* text : kGroupButtons) button(text)->hide();
    fresh->hide();
    load->hide();
    cancel->hide();
    m_name->setReadOnly(true);
    m_masks->setReadOnly(true);
    for (QCheckBox* box : {m_enabled, m_temporary}) {
      box->setAttribute(Qt::WA_TransparentForMouseEvents);
      box->setFocusPolicy(Qt::NoFocus);
      // Whatever reaches it, the box goes back to what the group holds.
      connect(box, &QCheckBox::clicked, this, [this] { showSelected(); });
    }
    ok->setToolTip(QStringLiteral("Close dialog"));
  }
}

void MaskCollectionDialog::refill() {
  m_filling = true;
  m_groups->clear();
  for (const std::string& line : m_editor.Lines()) m_groups->addItem(QtText(line));
  m_groups->setCurrentRow(m_editor.Selected() - 1);
  m_filling = false;
  showSelected();
}

void MaskCollectionDialog::showSelected() {
  MaskGroup group;
  const bool found = m_editor.Collection().GetGroup(m_editor.Selected(), &group);
  m_name->setText(QtText(group.name));
  m_masks->setText(QtText(group.masks));
  m_enabled->setChecked(found && group.enabled != 0);
  m_temporary->setChecked(found && group.temporary != 0);
  updateButtons();
}

void MaskCollectionDialog::updateButtons() {
  const bool selected = m_editor.Selected() > 0;
  button("Delete Selected")->setEnabled(selected);
  button("Accept Changes")->setEnabled(selected);
  button("Discard Changes")->setEnabled(selected);
  button("Move Up")->setEnabled(m_editor.CanMoveUp());
  button("Move Down")->setEnabled(m_editor.CanMoveDown());
  for (QWidget* field : std::initializer_list<QWidget*>{m_name, m_masks, m_enabled, m_temporary})
    field->setEnabled(selected);
}

void MaskCollectionDialog::createGroup() {
  if (!m_editor.CreateNewGroup()) return;
  refill();
  m_name->setFocus();
  m_name->selectAll();
}

void MaskCollectionDialog::acceptChanges() {
  using Result = MaskCollectionEditor::AcceptResult;
  const Result result = m_editor.AcceptChanges(bytesOf(m_name), bytesOf(m_masks),
                                               m_enabled->isChecked(), m_temporary->isChecked());
  switch (result) {
    case Result::kAccepted:
      refill();
      break;
    case Result::kEmptyName:
    case Result::kNameTaken:
      m_name->setFocus();
      m_name->selectAll();
      break;
    case Result::kEmptyMasks:
      m_masks->setFocus();
      break;
    case Result::kNothingSelected:
    case Result::kFailed:
      break;
  }
}

void MaskCollectionDialog::deleteGroup() {
  if (m_editor.DeleteSelected()) refill();
}

void MaskCollectionDialog::move(bool up) {
  if (up)
    m_editor.MoveUp();
  else
    m_editor.MoveDown();
  refill();
}

void MaskCollectionDialog::createCollection() {
  m_editor.CreateNewCollection();
  refill();
  m_name->setFocus();
  m_name->selectAll();
}

void MaskCollectionDialog::load() {
  // The chooser starts in the user's collection folder, which a fresh account lacks;
  // without it the chooser would open elsewhere and the saved collections never show.
  MakeFolders(m_folder);
  if (m_editor.Load(m_folder)) refill();
}

void MaskCollectionDialog::save() {
  MakeFolders(m_folder);
  m_editor.Save(m_folder);
}

}  // namespace tf
