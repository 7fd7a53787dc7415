#include "ui/result_views/window_backup_details_dialog.h"
#include "ui/qt_text.h"
#include "ui/window/control_helpers.h"

#include <QCheckBox>
#include <QDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tf {

namespace {

QLineEdit* readOnlyBox(const std::string& text, QWidget* parent) {
  auto* box = new QLineEdit(QtText(text), parent);
  box->setReadOnly(true);
  box->setCursorPosition(0);
  // Greyed like a label, so that it does not invite typing.
  QPalette palette = box->palette();
  palette.setColor(QPalette::Base, palette.color(QPalette::Window));
  box->setPalette(palette);
  return box;
}

}  // namespace

bool WindowBackupDetailsDialog::Ask(const std::string& fileName, const std::string& folder,
                                    BackupDetails* details) {
  QDialog dialog(m_parent);
  dialog.setWindowTitle(QStringLiteral("Backup file details"));
  dialog.setObjectName(QStringLiteral("BackupDetailsDialog"));
  auto* name = readOnlyBox(fileName, &dialog);
  name->setObjectName(QStringLiteral("file"));
  auto* location = readOnlyBox(folder, &dialog);
  location->setObjectName(QStringLiteral("location"));
  auto* comment = new QPlainTextEdit(&dialog);
  comment->setObjectName(QStringLiteral("comment"));
  comment->setTabChangesFocus(true);
  comment->setFixedHeight(comment->fontMetrics().lineSpacing() * 5 + 10);
  auto* deleteOriginal = new QCheckBox(QStringLiteral("Delete original file"), &dialog);
  deleteOriginal->setObjectName(QStringLiteral("deleteOriginal"));
  deleteOriginal->setToolTip(QStringLiteral("Delete source file"));
  deleteOriginal->setChecked(true);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("File:"), name);
  form->addRow(QStringLiteral("Location:"), location);
  form->addRow(QStringLiteral("Comment:"), comment);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(form);
  layout->addWidget(deleteOriginal);
  AddOkCancel(&dialog, layout, "Move file to the Backup folder", "Cancel");
  dialog.resize(460, dialog.sizeHint().height());
  comment->setFocus();

  if (dialog.exec() != QDialog::Accepted) return false;
  const QByteArray typed = comment->toPlainText().toUtf8();
  details->comment.assign(typed.constData(), static_cast<size_t>(typed.size()));
  details->deleteOriginal = deleteOriginal->isChecked();
  return true;
}

}  // namespace tf
