#include "ui/result_views/window_replace_link_dialog.h"

#include <functional>
#include <map>

#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/qt_text.h"
#include "ui/window/chosen_path.h"
#include "ui/window/control_helpers.h"

namespace tf {

namespace {

constexpr int kMaxTargetChars = 511;

}  // namespace

bool WindowReplaceLinkDialog::Ask(const std::string& fileToReplace,
                                  const std::vector<std::string>& candidates, int preselected,
                                  std::string* target) {
  QDialog dialog(m_parent);
  dialog.setWindowTitle(QStringLiteral("Replace file by link to another file"));
  dialog.setObjectName(QStringLiteral("ReplaceLinkDialog"));

  auto* replaced = new QLineEdit(QtText(fileToReplace), &dialog);
  replaced->setObjectName(QStringLiteral("replaced"));
  replaced->setReadOnly(true);
  QPalette greyed = replaced->palette();
  greyed.setColor(QPalette::Base, greyed.color(QPalette::Window));
  replaced->setPalette(greyed);
  auto* targetBox = new QLineEdit(&dialog);
  targetBox->setObjectName(QStringLiteral("target"));
  targetBox->setMaxLength(kMaxTargetChars);
  auto* browse = new QPushButton(QStringLiteral("Browse"), &dialog);
  browse->setToolTip(QStringLiteral("Change file"));
  browse->setAutoDefault(false);
  auto* found = new QListWidget(&dialog);
  found->setObjectName(QStringLiteral("found"));

  // The exact bytes behind every text the box was given, so that a name that is not
  // UTF-8 reaches the link as it is on disk.
  std::map<QString, std::string> bytesOf;
  for (const std::string& candidate : candidates) {
    found->addItem(QtText(candidate));
    bytesOf[QtText(candidate)] = candidate;
  }
  if (preselected >= 0 && preselected < found->count()) found->setCurrentRow(preselected);

  const auto targetBytes = [&]() {
    const QString text = targetBox->text();
    auto known = bytesOf.find(text);
    if (known != bytesOf.end()) return known->second;
    std::string bytes;
    if (ChosenPathBytes(text, false, &bytes)) return bytes;
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), static_cast<size_t>(utf8.size()));
  };
  std::function<void()> recheck;
  // A refused target may have changed on disk meanwhile: the button follows it.
  const auto mayReplace = [&] {
    if (AcceptLinkTarget(fileToReplace, targetBytes(), m_questions)) return true;
    recheck();
    return false;
  };
  auto* layout = new QVBoxLayout(&dialog);
  QPushButton* replace =
      AddOkCancel(
          &dialog, layout,
          OkCancelRow{
              {"Replace file", "Replace file by link"}, {nullptr, "Close dialog"}, {}, mayReplace})
          .ok;
  recheck = [&] { replace->setEnabled(LinkTargetUsable(targetBytes())); };

  QObject::connect(targetBox, &QLineEdit::textChanged, &dialog, recheck);
  // One click on a duplicate takes it as the target: a click that only selected it would
  // leave "Replace file" disabled with no hint why. A suggestion selected at opening is
  // not taken until it is clicked, so the box still starts empty.
  const auto take = [&](QListWidgetItem* item) { targetBox->setText(item->text()); };
  QObject::connect(found, &QListWidget::itemClicked, &dialog, take);
  QObject::connect(found, &QListWidget::itemDoubleClicked, &dialog, take);
  QObject::connect(found, &QListWidget::currentRowChanged, &dialog, recheck);
  QObject::connect(browse, &QPushButton::clicked, &dialog, [&] {
    std::string description, pattern, chosen;
    LinkBrowseFilter(fileToReplace, &description, &pattern);
    if (m_questions.ChooseFileToOpen(description, pattern, kChooseLinkTargetTitle, targetBytes(),
                                     &chosen)) {
      bytesOf[QtText(chosen)] = chosen;
      targetBox->setText(QtText(chosen));
    }
    recheck();
  });

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("Replace file"), &dialog), 0, 0);
  grid->addWidget(replaced, 0, 1, 1, 2);
  grid->addWidget(new QLabel(QStringLiteral("By link to file"), &dialog), 1, 0);
  grid->addWidget(targetBox, 1, 1);
  grid->addWidget(browse, 1, 2);
  grid->setColumnStretch(1, 1);
  layout->insertLayout(0, grid);
  layout->insertWidget(1, new QLabel(QStringLiteral("Found duplicates"), &dialog));
  layout->insertWidget(2, found, 1);
  dialog.resize(560, 320);
  recheck();
  targetBox->setFocus();

  if (dialog.exec() != QDialog::Accepted) return false;
  *target = targetBytes();
  return true;
}

}  // namespace tf
