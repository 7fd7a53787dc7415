#include "ui/search_pages/filter_sub_page.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

#include "app/search_host.h"
#include "scan/filter_nodes.h"
#include "ui/qt_text.h"
#include "ui/window/mc_main.h"

namespace tf {

FilterSubPage::FilterSubPage(SearchHost& host, MCMain* main, QWidget* parent)
    : QWidget(parent), m_host(host), m_main(main) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  m_enable = new QCheckBox("Enable filter", this);
  decorate(m_enable, "Enable/Disable filter");
  layout->addWidget(m_enable);
  auto* line = new QLabel("Check this box in order to enable filter", this);
  line->setEnabled(false);  // a hint, drawn greyed
  layout->addWidget(line);
  layout->addSpacing(8);
  m_body = new QVBoxLayout;
  m_body->setSpacing(6);
  layout->addLayout(m_body);
  layout->addStretch();

  connect(m_enable, &QCheckBox::clicked, this, [this](bool checked) {
    SetFilterEnabled(Node(), checked ? 1 : 0);
    emit enabledChanged();
  });
}

void FilterSubPage::Update() {
  m_enable->setChecked(GetFilterEnabled(Node()) != 0);
  updateValues();
}

SearchDescriptor& FilterSubPage::descriptor() const {
  return m_host.Descriptor();
}

void FilterSubPage::decorate(QWidget* control, const char* tip) const {
  if (m_main)
    m_main->Decorate(control, -1, tip);
  else
    control->setToolTip(QtText(tip));
}

}  // namespace tf
