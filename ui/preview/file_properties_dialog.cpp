#include "ui/preview/file_properties_dialog.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/qt_text.h"

namespace tf {
namespace {

constexpr int kNameColumnWidth = 100;

QTableWidgetItem* cell(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

}  // namespace

FilePropertiesDialog::FilePropertiesDialog(DataNode* root, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("File Properties"));
  setObjectName(QStringLiteral("FilePropertiesDialog"));
  auto* layout = new QVBoxLayout(this);
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(new QLabel(QStringLiteral("File"), this));
  m_file = new QLineEdit(this);
  m_file->setReadOnly(true);
  fileRow->addWidget(m_file, 1);
  layout->addLayout(fileRow);

  m_list = new QTableWidget(0, 2, this);
  m_list->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Value")});
  m_list->verticalHeader()->hide();
  m_list->setShowGrid(true);
  m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_list->setSelectionMode(QAbstractItemView::SingleSelection);
  m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_list->setWordWrap(false);
  m_list->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  // "Value" takes the rest of the width.
  m_list->setColumnWidth(0, kNameColumnWidth);
  m_list->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(m_list, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  m_close = new QPushButton(QStringLiteral("Close"), this);
  m_close->setToolTip(QStringLiteral("Close dialog"));
  m_close->setDefault(true);
  buttons->addWidget(m_close);
  layout->addLayout(buttons);
  connect(m_close, &QPushButton::clicked, this, &QDialog::accept);

  fill(root);
  resize(480, 420);
}

void FilePropertiesDialog::fill(DataNode* root) {
  if (!root) return;
  m_file->setText(QtText(root->Name()));
  m_file->setCursorPosition(0);
  QFont heading = m_list->font();
  heading.setBold(true);
  for (DataNode* child = root->FirstChild(); child; child = child->Next()) {
    const int row = m_list->rowCount();
    m_list->insertRow(row);
    m_list->setItem(row, 0, cell(QtText(child->Name())));
    m_list->setItem(row, 1, cell(QtText(child->Desc())));
    if (child->attrs.Count() > 0) m_list->item(row, 0)->setFont(heading);
    for (const NodeAttr& attr : child->attrs.items()) {
      const int attrRow = m_list->rowCount();
      m_list->insertRow(attrRow);
      m_list->setItem(attrRow, 0, cell(QString::fromStdString(attr.name)));
      const char* text = attr.value.AsString();
      m_list->setItem(attrRow, 1, cell(text ? QtText(text) : QString()));
    }
  }
  if (m_list->rowCount() > 0) m_list->selectRow(0);
  // The labels are never cut: the column is 100 pixels or as wide as its longest label.
  m_list->resizeColumnToContents(0);
  m_list->setColumnWidth(0, std::max(kNameColumnWidth, m_list->columnWidth(0)));
}

void ShowFileProperties(QWidget* owner, DataNode* root) {
  FilePropertiesDialog dialog(root, owner);
  dialog.exec();
}

}  // namespace tf
