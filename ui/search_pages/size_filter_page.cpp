#include "ui/search_pages/size_filter_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "app/search_host.h"
#include "scan/filter_editing.h"
#include "scan/filter_nodes.h"
#include "search/search_descriptor.h"

namespace tf {

namespace {

constexpr int kBetween = 2;

QComboBox* makeCombo(QWidget* parent, const QStringList& texts) {
  auto* combo = new QComboBox(parent);
  combo->addItems(texts);
  return combo;
}

// A stored code as a list position; codes the list does not hold show as its first
// entry, which is how the filter reads them too.
int shownIndex(int32_t code, int count) {
  return code >= 0 && code < count ? code : 0;
}

}  // namespace

SizeFilterPage::SizeFilterPage(SearchHost& host, MCMain* main, QWidget* parent)
    : FilterSubPage(host, main, parent) {
  body()->addWidget(new QLabel("Include files that have size", this));
  m_switch = makeCombo(this, {"At least", "At most", "Between"});
  auto* grid = new QGridLayout;
  grid->addWidget(m_switch, 0, 0);
  m_and = new QLabel("and", this);
  m_and->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  grid->addWidget(m_and, 1, 0);
  for (int i = 0; i < 2; ++i) {
    m_values[i] = new QLineEdit(this);
    m_values[i]->setAccessibleName(i == 0 ? QStringLiteral("Size") : QStringLiteral("Second size"));
    m_values[i]->setAlignment(Qt::AlignRight);
    // Room for the largest value that is stored, 2147483647.
    m_values[i]->setMaximumWidth(m_values[i]->fontMetrics().horizontalAdvance("88888888888") + 16);
    m_units[i] = makeCombo(this, {"KB", "MB", "GB"});
    grid->addWidget(m_values[i], i, 1);
    grid->addWidget(m_units[i], i, 2);
  }
  grid->setColumnStretch(3, 1);
  body()->addLayout(grid);

  connect(m_switch, &QComboBox::activated, this, [this](int index) {
    SetSizeSwitch(Node(), index);
    showSecond();
  });
  connect(m_values[0], &QLineEdit::textEdited, this, [this](const QString& text) {
    SetSizeValue1(Node(), SizeValueFromText(text.toStdString()));
  });
  connect(m_values[1], &QLineEdit::textEdited, this, [this](const QString& text) {
    SetSizeValue2(Node(), SizeValueFromText(text.toStdString()));
  });
  connect(m_units[0], &QComboBox::activated, this,
          [this](int index) { SetSizeUnits1(Node(), index); });
  connect(m_units[1], &QComboBox::activated, this,
          [this](int index) { SetSizeUnits2(Node(), index); });
  Update();
}

DataNode* SizeFilterPage::Node() const {
  return descriptor().SizeFilterNode();
}

void SizeFilterPage::updateValues() {
  DataNode* node = Node();
  m_switch->setCurrentIndex(shownIndex(GetSizeSwitch(node), 3));
  m_values[0]->setText(QString::number(GetSizeValue1(node)));
  m_values[1]->setText(QString::number(GetSizeValue2(node)));
  m_units[0]->setCurrentIndex(shownIndex(GetSizeUnits1(node), 3));
  m_units[1]->setCurrentIndex(shownIndex(GetSizeUnits2(node), 3));
  showSecond();
}

void SizeFilterPage::showSecond() {
  const bool between = m_switch->currentIndex() == kBetween;
  m_and->setVisible(between);
  m_values[1]->setVisible(between);
  m_units[1]->setVisible(between);
}

}  // namespace tf
