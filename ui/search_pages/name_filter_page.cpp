#include "ui/search_pages/name_filter_page.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include "app/search_host.h"
#include "results/recent_list.h"
#include "scan/filter_editing.h"
#include "scan/filter_nodes.h"
#include "search/search_descriptor.h"
#include "ui/qt_text.h"

namespace tf {

namespace {

constexpr const char* kRecentLists[2] = {"dlg_filters_name_inc", "dlg_filters_name_exc"};
constexpr const char* kCaptions[2] = {"Include files (masks):", "Exclude files (masks):"};
constexpr const char* kAllTexts[2] = {"Include all files", "Exclude no files"};
constexpr const char* kChooseText = "Choose file name (mask) filter from list";
constexpr const char* kAddText = "Add file name (mask) filter";
constexpr const char* kRecentText = "Recent masks";

std::string bytesOf(const QString& text) {
  return text.toUtf8().toStdString();
}

}  // namespace

NameFilterPage::NameFilterPage(SearchHost& host, MCMain* main, QWidget* parent)
    : FilterSubPage(host, main, parent) {
  for (int side = kInclude; side <= kExclude; ++side) {
    auto* caption = new QLabel(kCaptions[side], this);
    body()->addWidget(caption);
    m_edits[side] = new QLineEdit(this);
    caption->setBuddy(m_edits[side]);  // the caption names the box for screen readers
    body()->addWidget(m_edits[side]);
    m_all[side] = new QPushButton(kAllTexts[side], this);
    m_choose[side] = new QPushButton(kChooseText, this);
    m_add[side] = new QPushButton(kAddText, this);
    m_recent[side] = new QPushButton(kRecentText, this);
    decorate(m_all[side], kAllTexts[side]);
    decorate(m_choose[side], kChooseText);
    decorate(m_add[side], kAddText);
    decorate(m_recent[side], kRecentText);
    // The two group commands carry the longest texts: each gets the whole width.
    auto* buttons = new QGridLayout;
    buttons->addWidget(m_choose[side], 0, 0, 1, 2);
    buttons->addWidget(m_add[side], 1, 0, 1, 2);
    buttons->addWidget(m_all[side], 2, 0);
    buttons->addWidget(m_recent[side], 2, 1);
    body()->addLayout(buttons);
    if (side == kInclude) body()->addSpacing(10);

    connect(m_edits[side], &QLineEdit::textEdited, this,
            [this, side](const QString& text) { store(side, bytesOf(text)); });
    connect(m_all[side], &QPushButton::clicked, this,
            [this, side] { setText(side, side == kInclude ? kAllFilesMask : ""); });
    connect(m_choose[side], &QPushButton::clicked, this, [this, side] {
      std::string masks;
      if (chooseGroup(m_choose[side], &masks)) setText(side, masks);
    });
    connect(m_add[side], &QPushButton::clicked, this, [this, side] {
      std::string masks;
      if (chooseGroup(m_add[side], &masks))
        setText(side, AddGroupMasks(bytesOf(m_edits[side]->text()), masks));
    });
    connect(m_recent[side], &QPushButton::clicked, this, [this, side] { showRecent(side); });
  }
  Update();
}

DataNode* NameFilterPage::Node() const {
  return descriptor().NameFilterNode();
}

void NameFilterPage::updateValues() {
  m_edits[kExclude]->setText(QtText(GetNameExclude(Node())));
  m_edits[kInclude]->setText(QtText(GetNameInclude(Node())));
  updateRecentButtons();
}

void NameFilterPage::store(int side, const std::string& text) {
  if (side == kInclude)
    SetNameInclude(Node(), text);
  else
    SetNameExclude(Node(), text);
}

void NameFilterPage::setText(int side, const std::string& text) {
  m_edits[side]->setText(QtText(text));
  store(side, text);
}

bool NameFilterPage::chooseGroup(QPushButton* under, std::string* masks) {
  QMenu menu(this);
  menu.addAction("Cancel");
  menu.addSeparator();
  if (const MaskCollection* collection = m_host.Masks()) {
    MaskGroup group;
    for (int number = 1; number <= collection->Count(); ++number)
      if (collection->GetGroup(number, &group))
        menu.addAction(MenuText(group.name))->setData(number);
  }
  const QAction* chosen = menu.exec(under->mapToGlobal(QPoint(0, under->height())));
  if (!chosen || !chosen->data().isValid()) return false;
  MaskGroup group;
  // The collection cannot change while the menu is open: it is only loaded by commands.
  if (!m_host.Masks()->GetGroup(chosen->data().toInt(), &group)) return false;
  *masks = group.masks;
  return true;
}

void NameFilterPage::showRecent(int side) {
  RecentList recent;
  recent.Bind(m_host.RecentSection(kRecentLists[side]), kRecentLists[side]);
  if (!recent.HasEntries()) return;
  QMenu menu(this);
  menu.addAction("Clear List")->setData(RecentList::kClearCommand);
  menu.addSeparator();
  const std::vector<std::string> texts = recent.MenuTexts();
  for (size_t i = 0; i < texts.size(); ++i)
    if (!texts[i].empty()) menu.addAction(MenuText(texts[i]))->setData(static_cast<int>(i) + 1);
  QPushButton* button = m_recent[side];
  const QAction* chosen = menu.exec(button->mapToGlobal(QPoint(0, button->height())));
  std::string text;
  if (chosen && recent.ChooseMenuCommand(chosen->data().toInt(), &text)) setText(side, text);
  updateRecentButtons();
}

void NameFilterPage::RememberMasks() {
  const std::string texts[2] = {GetNameInclude(Node()), GetNameExclude(Node())};
  const bool remember[2] = {RemembersIncludeMasks(texts[kInclude]),
                            RemembersExcludeMasks(texts[kExclude])};
  for (int side = kInclude; side <= kExclude; ++side) {
    if (!remember[side]) continue;
    RecentList recent;
    recent.Bind(m_host.RecentSection(kRecentLists[side]), kRecentLists[side]);
    recent.AddText(texts[side]);
  }
  updateRecentButtons();
}

void NameFilterPage::updateRecentButtons() {
  for (int side = kInclude; side <= kExclude; ++side) {
    RecentList recent;
    recent.Bind(m_host.RecentSection(kRecentLists[side]), kRecentLists[side]);
    m_recent[side]->setEnabled(recent.HasEntries() != 0);
  }
}

}  // namespace tf
