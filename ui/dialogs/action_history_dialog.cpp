#include "ui/dialogs/action_history_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "results/journal_text.h"
#include "ui/qt_text.h"

namespace tf {
namespace {

// Files listed under one action; the rest are counted.
constexpr size_t kFilesShown = 500;

}  // namespace

ActionHistoryDialog::ActionHistoryDialog(JournalControl& journal,
                                         std::function<void(const std::string&)> undo,
                                         QWidget* parent)
    : QDialog(parent), m_journal(journal), m_onUndo(std::move(undo)) {
  setObjectName(QStringLiteral("ActionHistoryDialog"));
  setWindowTitle(QStringLiteral("Action history"));
  auto* layout = new QVBoxLayout(this);
  m_tree = new QTreeWidget(this);
  m_tree->setObjectName(QStringLiteral("HistoryTree"));
  m_tree->setColumnCount(3);
  m_tree->setHeaderLabels(
      {QStringLiteral("Action"), QStringLiteral("When"), QStringLiteral("State")});
  m_tree->setRootIsDecorated(true);
  m_tree->setUniformRowHeights(true);
  m_tree->header()->setStretchLastSection(false);
  m_tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  m_tree->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  m_tree->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
  m_problem = new QLabel(this);
  m_problem->setWordWrap(true);
  m_problem->hide();
  auto* buttons = new QHBoxLayout;
  m_undo = new QPushButton(QStringLiteral("&Undo"), this);
  m_undo->setObjectName(QStringLiteral("UndoButton"));
  m_undo->setToolTip(
      QStringLiteral("Take the selected action back: its files return to their places"));
  m_close = new QPushButton(QStringLiteral("Close"), this);
  buttons->addStretch(1);
  buttons->addWidget(m_undo);
  buttons->addWidget(m_close);
  layout->addWidget(m_tree, 1);
  layout->addWidget(m_problem);
  layout->addLayout(buttons);
  resize(760, 440);
  connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
  connect(m_tree, &QTreeWidget::currentItemChanged, this, [this] { updateButtons(); });
  connect(m_undo, &QPushButton::clicked, this, [this] {
    const std::string id = selectedId();
    if (id.empty() || !m_onUndo) return;
    m_onUndo(id);
    Refill(id);
  });
  Refill(std::string());
}

ActionHistoryDialog::~ActionHistoryDialog() = default;

void ActionHistoryDialog::Refill(const std::string& id) {
  m_tree->clear();
  const std::vector<JournalAction>& actions = m_journal.Actions();
  QTreeWidgetItem* chosen = nullptr;
  for (auto it = actions.rbegin(); it != actions.rend(); ++it) {
    auto* item =
        new QTreeWidgetItem(m_tree, {QtText(ActionLabel(*it)), QtText(JournalTimeText(it->time)),
                                     QtText(ActionStateText(*it))});
    item->setData(0, Qt::UserRole, QtText(it->id));
    for (size_t i = 0; i < it->files.size() && i < kFilesShown; ++i)
      new QTreeWidgetItem(item, {ShownText(JournalEntryText(it->files[i]))});
    if (it->files.size() > kFilesShown)
      new QTreeWidgetItem(
          item, {QtText("... and " + std::to_string(it->files.size() - kFilesShown) + " more")});
    if (!chosen || it->id == id) chosen = item;
  }
  const std::string& problem = m_journal.LoadProblem();
  m_problem->setVisible(!problem.empty());
  m_problem->setText(QtText("The action journal cannot be read: " + problem));
  if (chosen) m_tree->setCurrentItem(chosen);
  updateButtons();
}

std::string ActionHistoryDialog::selectedId() const {
  QTreeWidgetItem* item = m_tree->currentItem();
  while (item && item->parent()) item = item->parent();
  return item ? item->data(0, Qt::UserRole).toString().toStdString() : std::string();
}

void ActionHistoryDialog::updateButtons() {
  const JournalAction* action = m_journal.Find(selectedId());
  m_undo->setEnabled(action && UndoFileCount(*action) > 0);
}

}  // namespace tf
