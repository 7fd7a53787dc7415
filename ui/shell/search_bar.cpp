#include "ui/shell/search_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "ui/qt_text.h"
#include "ui/window/mc_main.h"

namespace tf {

SearchBar::SearchBar(MCMain* main, QWidget* parent)
    : QWidget(parent),
      m_start(new QPushButton(QStringLiteral("Start search"), this)),
      m_stop(new QPushButton(QStringLiteral("Stop"), this)),
      m_status(new QLabel(this)) {
  setObjectName(QStringLiteral("SearchBar"));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 2, 4, 2);
  layout->addWidget(m_start);
  layout->addWidget(m_stop);
  layout->addWidget(m_status, 1);
  m_status->setTextFormat(Qt::PlainText);
  if (main) {
    main->Decorate(m_start, 0, "Start search");
    main->Decorate(m_stop, 0, "Stop search");
    main->Decorate(m_status, 0, "");
  } else {
    m_start->setToolTip(QStringLiteral("Start search"));
    m_stop->setToolTip(QStringLiteral("Stop search"));
  }
  connect(m_start, &QPushButton::clicked, this, &SearchBar::startClicked);
  connect(m_stop, &QPushButton::clicked, this, &SearchBar::stopClicked);
  SetSearching(false);
}

void SearchBar::SetSearching(bool searching) {
  m_searching = searching;
  UpdateButtons(m_canStart);
}

void SearchBar::UpdateButtons(bool canStart) {
  m_canStart = canStart;
  m_start->setEnabled(!m_searching && canStart);
  m_stop->setEnabled(m_searching);
}

void SearchBar::SetStatusText(const std::string& text) {
  m_status->setText(QtText(text));
  m_status->repaint();
}

}  // namespace tf
