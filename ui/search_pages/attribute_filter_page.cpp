#include "ui/search_pages/attribute_filter_page.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>

#include "app/search_host.h"
#include "scan/filter_nodes.h"
#include "search/search_descriptor.h"

namespace tf {

namespace {

constexpr const char* kLabels[4] = {"Read-Only", "Archive", "Hidden", "System"};
using RuleSetter = bool (*)(DataNode*, int32_t);
using RuleGetter = int32_t (*)(DataNode*);
constexpr RuleSetter kSetters[4] = {SetAttrReadOnly, SetAttrArchive, SetAttrHidden, SetAttrSystem};
constexpr RuleGetter kGetters[4] = {GetAttrReadOnly, GetAttrArchive, GetAttrHidden, GetAttrSystem};

}  // namespace

AttributeFilterPage::AttributeFilterPage(SearchHost& host, MCMain* main, QWidget* parent)
    : FilterSubPage(host, main, parent) {
  body()->addWidget(new QLabel("Include files that have attributes", this));
  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
  for (int i = 0; i < 4; ++i) {
    m_rules[i] = new QComboBox(this);
    m_rules[i]->addItems({"Any", "On", "Off"});
    form->addRow(kLabels[i], m_rules[i]);
    connect(m_rules[i], &QComboBox::activated, this,
            [this, i](int index) { kSetters[i](Node(), index); });
  }
  body()->addLayout(form);
  Update();
}

DataNode* AttributeFilterPage::Node() const {
  return descriptor().AttributeFilterNode();
}

void AttributeFilterPage::updateValues() {
  for (int i = 0; i < 4; ++i) {
    const int32_t rule = kGetters[i](Node());
    // The filter ignores a rule it does not know, as it does "Any".
    m_rules[i]->setCurrentIndex(rule >= 0 && rule <= 2 ? rule : 0);
  }
}

}  // namespace tf
