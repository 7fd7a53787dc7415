#include "ui/dialogs/tool_list_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "settings/tool_node.h"
#include "ui/dialogs/tool_description_dialog.h"
#include "ui/qt_text.h"
#include "ui/window/control_helpers.h"
#include "ui/window/list_helpers.h"

namespace tf {

namespace {

// "Name" 120 pixels, the command line and the working directory half the rest each.
const std::vector<int> kColumnWidths = {120, -50, -50};

}  // namespace

ToolListDialog::ToolListDialog(DataNode* section, Questions& questions, QWidget* parent)
    : QDialog(parent), m_editor(section), m_questions(questions) {
  setObjectName(QStringLiteral("ToolListDialog"));
  setWindowTitle(QStringLiteral("Registered Tools"));
  build();
  refill(std::string());
}

ToolListDialog::~ToolListDialog() = default;

void ToolListDialog::build() {
  m_list = new QTableWidget(0, 3, this);
  m_list->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Command line"),
                                     QStringLiteral("Working directory")});
  m_list->verticalHeader()->hide();
  m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 6);
  m_list->setShowGrid(true);
  m_list->setWordWrap(false);
  m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_list->setSelectionMode(QAbstractItemView::SingleSelection);
  m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_list->horizontalHeader()->setHighlightSections(false);

  m_add = MakeDialogButton({"Add", "Add tool"}, this);
  m_edit = MakeDialogButton({"Edit", "Edit selected tool"}, this);
  m_remove = MakeDialogButton({"Remove", "Remove selected tool"}, this);
  m_close = MakeDialogButton({"Close", "Close dialog"}, this);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_add);
  buttons->addWidget(m_edit);
  buttons->addWidget(m_remove);
  buttons->addStretch();
  buttons->addWidget(m_close);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Registered tools"), this));
  layout->addWidget(m_list, 1);
  layout->addLayout(buttons);
  resize(fontMetrics().averageCharWidth() * 90, fontMetrics().height() * 18);

  connect(m_list, &QTableWidget::itemSelectionChanged, this, [this] { updateButtons(); });
  connect(m_list, &QTableWidget::itemDoubleClicked, this, [this] { editTool(); });
  connect(m_add, &QPushButton::clicked, this, [this] { addTool(); });
  connect(m_edit, &QPushButton::clicked, this, [this] { editTool(); });
  connect(m_remove, &QPushButton::clicked, this, [this] { removeTool(); });
  connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
}

void ToolListDialog::refill(const std::string& remembered) {
  const std::vector<ToolRow> rows = m_editor.Rows();
  m_list->clearContents();
  m_list->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const ToolRow& row = rows[static_cast<size_t>(r)];
    const QString texts[3] = {QtText(row.name), QtText(row.command), QtText(row.directory)};
    for (int column = 0; column < 3; ++column) {
      auto* item = new QTableWidgetItem(texts[column]);
      item->setToolTip(texts[column]);
      m_list->setItem(r, column, item);
    }
    m_list->item(r, 0)->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(row.node)));
  }
  const int select = ToolListEditor::RowToSelect(rows, remembered);
  if (select >= 0) m_list->selectRow(select);
  updateButtons();
}

// The first selected row, or -1.
int ToolListDialog::selectedRow() const {
  const QModelIndexList rows = m_list->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.front().row();
}

std::string ToolListDialog::selectedName() const {
  const int row = selectedRow();
  return row < 0 ? std::string() : m_list->item(row, 0)->text().toUtf8().toStdString();
}

DataNode* ToolListDialog::selectedTool() const {
  const int row = selectedRow();
  if (row < 0) return nullptr;
  return static_cast<DataNode*>(m_list->item(row, 0)->data(Qt::UserRole).value<void*>());
}

void ToolListDialog::updateButtons() {
  const bool selected = selectedTool() != nullptr;
  m_edit->setEnabled(selected);
  m_remove->setEnabled(selected);
}

void ToolListDialog::applyWidths() {
  SetColumnWidths(m_list->horizontalHeader(), m_list->viewport()->width(),
                  ScaleColumnTable(kColumnWidths, m_list->fontMetrics()), false);
}

void ToolListDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  applyWidths();
}

void ToolListDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  applyWidths();
}

void ToolListDialog::addTool() {
  NodePtr tool = m_editor.NewTool();
  if (!tool) return;
  ToolDescriptionDialog description(tool.get(), m_questions, this);
  if (description.exec() != QDialog::Accepted) return;  // the new node goes with `tool`
  m_editor.AppendTool(std::move(tool));
  refill(selectedName());
}

void ToolListDialog::editTool() {
  DataNode* selected = selectedTool();
  if (!selected) return;
  NodePtr copy = m_editor.CopyOf(selected);
  if (!copy) return;
  ToolDescriptionDialog description(copy.get(), m_questions, this);
  if (description.exec() != QDialog::Accepted) return;
  ToolListEditor::CopyBack(*copy, selected);
  // By its new name: a renamed tool keeps the selection.
  std::string name;
  ReadToolNode(selected, &name, nullptr, nullptr);
  refill(name);
}

void ToolListDialog::removeTool() {
  DataNode* selected = selectedTool();
  if (!selected) return;
  m_editor.Remove(selected);
  refill(std::string());
}

}  // namespace tf
