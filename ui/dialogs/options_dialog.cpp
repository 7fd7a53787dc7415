#include "ui/dialogs/options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/app_shell.h"
#include "platform/path_utils.h"
#include "platform/stored_file.h"
#include "ui/qt_text.h"
#include "ui/window/control_helpers.h"

namespace tf {

namespace {

constexpr const char* kMaskFilterName = "Mask collection file (*.mcf)";
constexpr const char* kMaskPattern = "*.mcf";

// The path a box names: the bytes last put into it while its text is unchanged (a name
// that is not UTF-8 survives), else what the user typed.
std::string pathOf(const QLineEdit* box) {
  const QVariant bytes = box->property("pathBytes");
  if (bytes.isValid()) {
    const QByteArray raw = bytes.toByteArray();
    const std::string path(raw.constData(), static_cast<size_t>(raw.size()));
    if (QtText(path) == box->text()) return path;
  }
  return TextBytes(box->text());
}

void putPath(QLineEdit* box, const std::string& path) {
  box->setProperty("pathBytes", QByteArray(path.data(), static_cast<qsizetype>(path.size())));
  box->setText(QtText(path));
}

}  // namespace

OptionsDialog::OptionsDialog(AppShell& shell, Questions& questions, EnableBackupFn enableBackup,
                             std::function<void()> reapply, QWidget* parent)
    : QDialog(parent),
      m_shell(shell),
      m_questions(questions),
      m_enableBackup(std::move(enableBackup)),
      m_reapply(std::move(reapply)) {
  setObjectName(QStringLiteral("OptionsDialog"));
  setWindowTitle(QStringLiteral("Program Options"));
  build();
  showOptions(ReadProgramOptions(shell));
  m_tooltips->setFocus();
}

OptionsDialog::~OptionsDialog() = default;

void OptionsDialog::build() {
  auto* grid = new QGridLayout;
  grid->setColumnStretch(1, 1);
  int row = 0;
  auto label = [&](const char* text) {
    grid->addWidget(new QLabel(QtText(text), this), row, 0, Qt::AlignLeft | Qt::AlignTop);
  };

  label("Show tooltips");
  m_tooltips = new QCheckBox(QStringLiteral("On/Off"), this);
  m_tooltips->setToolTip(QStringLiteral("Show/hide tooltips"));
  grid->addWidget(m_tooltips, row++, 1);

  label("Browse action invokes");
  m_browse = new QComboBox(this);
  m_browse->addItems({QStringLiteral("Browse Folder window"), QStringLiteral("Explorer window")});
  grid->addWidget(m_browse, row++, 1, Qt::AlignLeft);

  label("Search thread priority");
  m_priority = new QComboBox(this);
  m_priority->addItems({QStringLiteral("Low"), QStringLiteral("Normal"), QStringLiteral("High")});
  grid->addWidget(m_priority, row++, 1, Qt::AlignLeft);

  label("Folder walk");
  m_oneThreadPerDisk = new QCheckBox(QStringLiteral("One thread per disk"), this);
  m_oneThreadPerDisk->setToolTip(
      QStringLiteral("Read one folder at a time, also on solid-state disks"));
  grid->addWidget(m_oneThreadPerDisk, row++, 1);

  label("Default mask collection");
  auto* masks = new QVBoxLayout;
  m_builtIn = new QRadioButton(QStringLiteral("Use built-in masks"), this);
  m_builtIn->setToolTip(QStringLiteral("Built-in masks"));
  m_fromFile = new QRadioButton(QStringLiteral("Load from file"), this);
  m_fromFile->setToolTip(QStringLiteral("Load masks from file"));
  auto* fileRow = new QHBoxLayout;
  m_maskFile = new QLineEdit(this);
  m_maskFile->setObjectName(QStringLiteral("maskFile"));
  m_maskChooser = MakeChooserButton("Change file (*.mcf)", this);
  fileRow->addWidget(m_maskFile, 1);
  fileRow->addWidget(m_maskChooser);
  masks->addWidget(m_builtIn);
  masks->addWidget(m_fromFile);
  masks->addLayout(fileRow);
  grid->addLayout(masks, row++, 1);

  label("Backup folder location");
  auto* backup = new QVBoxLayout;
  auto* backupRow = new QHBoxLayout;
  m_backup = new QLineEdit(this);
  m_backup->setObjectName(QStringLiteral("backupFolder"));
  m_backupChooser = MakeChooserButton("Browse for folder", this);
  backupRow->addWidget(m_backup, 1);
  backupRow->addWidget(m_backupChooser);
  m_backupError = new QLabel(QtText(kBackupFolderMissingLabel), this);
  QPalette palette = m_backupError->palette();
  palette.setColor(QPalette::WindowText, QColor(128, 0, 0));
  m_backupError->setPalette(palette);
  // The row keeps its height while the label comes and goes.
  QSizePolicy keep = m_backupError->sizePolicy();
  keep.setRetainSizeWhenHidden(true);
  m_backupError->setSizePolicy(keep);
  backup->addLayout(backupRow);
  backup->addWidget(m_backupError);
  grid->addLayout(backup, row++, 1);

  m_rememberSearch = new QCheckBox(QStringLiteral("Remember the last search"), this);
  m_rememberSearch->setToolTip(
      QStringLiteral("Bring back the folders, filters and criteria of the last search at the "
                     "next start"));
  grid->addWidget(m_rememberSearch, row++, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addStretch();
  const OkCancel okCancel = AddOkCancel(this, layout, "Save options", "Discard changes");
  m_ok = okCancel.ok;
  m_cancel = okCancel.cancel;
  setMinimumWidth(fontMetrics().averageCharWidth() * 90);

  connect(m_builtIn, &QRadioButton::toggled, this, [this] { updateMaskFileControls(); });
  connect(m_maskChooser, &QPushButton::clicked, this, [this] { chooseMaskFile(); });
  connect(m_backupChooser, &QPushButton::clicked, this, [this] { chooseBackupFolder(); });
  connect(m_backup, &QLineEdit::textChanged, this, [this] { updateBackupError(); });
}

void OptionsDialog::showOptions(const ProgramOptions& options) {
  m_tooltips->setChecked(options.tooltips);
  m_browse->setCurrentIndex(options.browseMode);
  m_priority->setCurrentIndex(options.priority);
  m_oneThreadPerDisk->setChecked(options.oneThreadPerDisk);
  (options.builtInMasks ? m_builtIn : m_fromFile)->setChecked(true);
  putPath(m_maskFile, options.maskFile);
  putPath(m_backup, options.backupFolder);
  m_rememberSearch->setChecked(options.rememberSearch);
  updateMaskFileControls();
  updateBackupError();
}

void OptionsDialog::updateMaskFileControls() {
  const bool fromFile = !m_builtIn->isChecked();
  m_maskFile->setEnabled(fromFile);
  m_maskChooser->setEnabled(fromFile);
}

void OptionsDialog::updateBackupError() {
  m_backupError->setVisible(BackupFolderLabelShown(pathOf(m_backup)));
}

void OptionsDialog::chooseMaskFile() {
  const std::string current = pathOf(m_maskFile);
  std::string start;
  if (!current.empty()) {
    std::string name;
    SplitPath(current, &start, &name);
  } else if (!m_shell.places().collectionFolders.empty()) {
    start = m_shell.places().collectionFolders.front();
    MakeFolders(start);  // so that a collection saved there is found at once
  }
  std::string chosen;
  if (m_questions.ChooseFileToOpen(kMaskFilterName, kMaskPattern, "Choose mask collection file",
                                   start, &chosen))
    putPath(m_maskFile, chosen);
}

void OptionsDialog::chooseBackupFolder() {
  const std::string current = pathOf(m_backup);
  const std::string start = current.empty() ? m_shell.places().defaultBackupFolder : current;
  std::string chosen;
  if (m_questions.ChooseFolder(start, "Choose directory for storing backup files", &chosen))
    putPath(m_backup, chosen);
  updateBackupError();
}

void OptionsDialog::accept() {
  ProgramOptions options;
  options.tooltips = m_tooltips->isChecked();
  options.browseMode = m_browse->currentIndex();
  options.priority = m_priority->currentIndex();
  options.oneThreadPerDisk = m_oneThreadPerDisk->isChecked();
  options.builtInMasks = m_builtIn->isChecked();
  options.maskFile = pathOf(m_maskFile);
  options.backupFolder = pathOf(m_backup);
  options.rememberSearch = m_rememberSearch->isChecked();
  updateBackupError();
  switch (ConfirmProgramOptions(m_shell, &options, m_questions, m_enableBackup)) {
    case OptionsOutcome::kBadMaskFile:
      m_maskFile->setFocus();
      m_maskFile->selectAll();
      return;
    case OptionsOutcome::kBackupRefused:
      m_backup->setFocus();
      return;
    case OptionsOutcome::kStored:
      break;
  }
  if (m_reapply) m_reapply();
  QDialog::accept();
}

}  // namespace tf
