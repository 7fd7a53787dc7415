#include "ui/dialogs/tool_description_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/tool_list_editor.h"
#include "settings/tool_node.h"
#include "ui/qt_text.h"
#include "ui/window/control_helpers.h"

namespace tf {

namespace {

std::string bytesOf(const QLineEdit* box) {
  return box->text().toUtf8().toStdString();
}

// The legend of the macros, one per line: the macro and what it stands for here.
constexpr const char* kLegend[][2] = {
    {"%f1", "the first selected file (full path)"},
    {"%1", "the same as %f1"},
    {"%d2", "the folder of the second file, with its trailing /"},
    {"%n3", "the name of the third file, without its folder"},
    {"%w", "/usr/bin"},
    {"%s", "/usr/bin"},
    {"%t", "the folder for temporary files, with its trailing /"},
};

}  // namespace

ToolDescriptionDialog::ToolDescriptionDialog(DataNode* tool, Questions& questions, QWidget* parent)
    : QDialog(parent), m_tool(tool), m_questions(questions) {
  setObjectName(QStringLiteral("ToolDescriptionDialog"));
  setWindowTitle(QStringLiteral("Tool Description"));
  build();
  std::string name, command, directory;
  ReadToolNode(m_tool, &name, &command, &directory);
  m_name->setText(QtText(name));
  m_command->setText(QtText(command));
  m_directory->setText(QtText(directory));
  updateOk();
  m_name->setFocus();
}

ToolDescriptionDialog::~ToolDescriptionDialog() = default;

void ToolDescriptionDialog::build() {
  auto* grid = new QGridLayout;
  grid->setColumnStretch(1, 1);
  m_name = new QLineEdit(this);
  m_command = new QLineEdit(this);
  m_directory = new QLineEdit(this);
  for (QLineEdit* box : {m_name, m_command, m_directory}) box->setMaxLength(2047);
  m_programChooser = MakeChooserButton("Browse", this);
  m_directoryChooser = MakeChooserButton("Browse for folder", this);
  grid->addWidget(new QLabel(QStringLiteral("Name:"), this), 0, 0);
  grid->addWidget(m_name, 0, 1, 1, 2);
  grid->addWidget(new QLabel(QStringLiteral("Command Line:"), this), 1, 0);
  grid->addWidget(m_command, 1, 1);
  grid->addWidget(m_programChooser, 1, 2);
  grid->addWidget(new QLabel(QStringLiteral("Working directory:"), this), 2, 0);
  grid->addWidget(m_directory, 2, 1);
  grid->addWidget(m_directoryChooser, 2, 2);

  auto* legendBox = new QGroupBox(QStringLiteral("Macros"), this);
  auto* legend = new QGridLayout(legendBox);
  int row = 0;
  for (const auto& entry : kLegend) {
    auto* macro = new QLabel(QtText(entry[0]), legendBox);
    macro->setTextInteractionFlags(Qt::TextSelectableByMouse);
    legend->addWidget(macro, row, 0);
    legend->addWidget(new QLabel(QtText(entry[1]), legendBox), row++, 1);
  }
  legend->setColumnStretch(1, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(legendBox);
  const OkCancel okCancel = AddOkCancel(this, layout, "Create tool", "Close dialog");
  m_ok = okCancel.ok;
  m_cancel = okCancel.cancel;
  setMinimumWidth(fontMetrics().averageCharWidth() * 72);

  for (QLineEdit* box : {m_name, m_command, m_directory})
    connect(box, &QLineEdit::textChanged, this, [this] { updateOk(); });
  connect(m_programChooser, &QPushButton::clicked, this, [this] { chooseProgram(); });
  connect(m_directoryChooser, &QPushButton::clicked, this, [this] { chooseDirectory(); });
}

void ToolDescriptionDialog::updateOk() {
  m_ok->setEnabled(ToolFormComplete({bytesOf(m_name), bytesOf(m_command), std::string()}));
}

void ToolDescriptionDialog::chooseProgram() {
  std::string chosen;
  if (!m_questions.ChooseProgram("Choose executable file", "/usr/bin", &chosen)) return;
  // At the caret, over the selection; the clipboard is left as the user had it.
  m_command->insert(QtText(ProgramPathForCommandLine(chosen)));
  m_command->setFocus();
}

void ToolDescriptionDialog::chooseDirectory() {
  std::string chosen;
  if (m_questions.ChooseFolder(bytesOf(m_directory), "Choose working directory", &chosen))
    m_directory->setText(QtText(chosen));
}

void ToolDescriptionDialog::accept() {
  const ToolForm form{bytesOf(m_name), bytesOf(m_command), bytesOf(m_directory)};
  switch (StoreToolForm(form, m_tool)) {
    case ToolFormField::kName:
      m_name->setFocus();
      return;
    case ToolFormField::kCommand:
      m_command->setFocus();
      return;
    case ToolFormField::kNone:
      break;
  }
  QDialog::accept();
}

}  // namespace tf
