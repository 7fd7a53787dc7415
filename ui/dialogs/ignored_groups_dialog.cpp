#include "ui/dialogs/ignored_groups_dialog.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/path_utils.h"
#include "results/backup_store.h"
#include "results/ignore_store.h"
#include "ui/qt_text.h"
#include "ui/window/control_helpers.h"

namespace tf {

IgnoredGroupsDialog::IgnoredGroupsDialog(IgnoreStore& store, Questions& questions, QWidget* parent)
    : QDialog(parent), m_store(store), m_questions(questions) {
  setObjectName(QStringLiteral("IgnoredGroupsDialog"));
  setWindowTitle(QStringLiteral("Ignored Groups"));
  build();
  refill(0);
}

IgnoredGroupsDialog::~IgnoredGroupsDialog() = default;

void IgnoredGroupsDialog::build() {
  m_note = new QLabel(this);
  m_note->setWordWrap(true);
  m_list = new QTreeWidget(this);
  m_list->setHeaderHidden(true);
  m_list->setRootIsDecorated(false);
  m_list->setItemsExpandable(false);
  m_list->setSelectionMode(QAbstractItemView::SingleSelection);
  m_list->setTextElideMode(Qt::ElideMiddle);

  m_remove = MakeDialogButton({"Remove", "Show the selected group again at the next search"}, this);
  m_close = MakeDialogButton({"Close", "Close dialog"}, this);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_remove);
  buttons->addStretch();
  buttons->addWidget(m_close);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_note);
  layout->addWidget(m_list, 1);
  layout->addLayout(buttons);
  resize(fontMetrics().averageCharWidth() * 90, fontMetrics().height() * 20);

  connect(m_list, &QTreeWidget::itemSelectionChanged, this,
          [this] { m_remove->setEnabled(selectedEntry() >= 0); });
  connect(m_remove, &QPushButton::clicked, this, [this] { removeSelected(); });
  connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
}

void IgnoredGroupsDialog::refill(int row) {
  IgnoreList list;
  std::string error;
  const IgnoreStore::State state = m_store.Read(&list, &error);
  m_entries = list.Entries();
  QString note = QStringLiteral(
      "A search hides each of these groups while all its files are among the ones listed.");
  if (state == IgnoreStore::State::kDamaged || state == IgnoreStore::State::kNotAFile)
    note = QtText("The ignore list cannot be read: " + error);
  else if (m_entries.empty())
    note = QStringLiteral(
        "No group is ignored. \"Ignore group\" in the result lists' menu adds the groups of "
        "the selected files.");
  m_note->setText(note);
  m_list->clear();
  for (size_t e = 0; e < m_entries.size(); ++e) {
    // Numbered as "twinfold-cli ignore list" numbers them, named by its first file.
    std::string name;
    SplitPath(m_entries[e].front(), nullptr, &name);
    auto* item = new QTreeWidgetItem(m_list);
    item->setText(0, QStringLiteral("%1. %2 (%3 files)")
                         .arg(e + 1)
                         .arg(ShownText(name))
                         .arg(m_entries[e].size()));
    QFont bold = item->font(0);
    bold.setBold(true);
    item->setFont(0, bold);
    item->setData(0, Qt::UserRole, static_cast<int>(e));
    for (const std::string& path : m_entries[e]) {
      auto* child = new QTreeWidgetItem(item);
      child->setText(0, ShownText(path));
      child->setData(0, Qt::UserRole, static_cast<int>(e));
    }
  }
  m_list->expandAll();
  const int count = static_cast<int>(m_entries.size());
  if (count > 0) m_list->setCurrentItem(m_list->topLevelItem(std::clamp(row, 0, count - 1)));
  m_remove->setEnabled(selectedEntry() >= 0);
}

int IgnoredGroupsDialog::selectedEntry() const {
  const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
  if (selected.isEmpty()) return -1;
  const int entry = selected.front()->data(0, Qt::UserRole).toInt();
  return entry >= 0 && entry < static_cast<int>(m_entries.size()) ? entry : -1;
}

void IgnoredGroupsDialog::removeSelected() {
  const int entry = selectedEntry();
  if (entry < 0) return;
  std::string error;
  const std::vector<std::string> paths = m_entries[static_cast<size_t>(entry)];
  if (!m_store.Change([&paths](IgnoreList& list) { return list.Remove(paths); }, &error))
    m_questions.ShowMessage("The group cannot be removed from the list.\n" + error, kErrorCaption,
                            MB_OK);
  refill(entry);
}

}  // namespace tf
