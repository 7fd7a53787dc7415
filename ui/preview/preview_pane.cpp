#include "ui/preview/preview_pane.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "platform/display_format.h"
#include "platform/file_facts.h"
#include "platform/path_utils.h"
#include "ui/qt_text.h"
#include "ui/window/library_fonts.h"

namespace tf {
namespace {

constexpr int kCaptionFont = 1;
constexpr int kMargin = 8;
const QColor kNameColor(128, 0, 0);
const QColor kCaptionColor(0, 0, 128);

QLabel* captionLabel(const QString& text, const QColor& color, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setFont(LibraryFont(kCaptionFont));
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, color);
  label->setPalette(palette);
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

QString DateSlashTime(int64_t fileTime) {
  std::string date;
  std::string time;
  if (!FormatDate(fileTime, &date)) return {};
  FormatTime(fileTime, &time);
  return QString::fromStdString(date + " / " + time);
}

PreviewPane::PreviewPane(const std::vector<QString>& captions, QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(kMargin, kMargin / 2, kMargin, kMargin);
  m_captionGrid = new QGridLayout;
  m_captionGrid->setHorizontalSpacing(6);
  m_captionGrid->setVerticalSpacing(1);
  std::vector<QString> all{QStringLiteral("File name:")};
  all.insert(all.end(), captions.begin(), captions.end());
  for (size_t i = 0; i < all.size(); ++i) {
    const int row = static_cast<int>(i);
    m_captionGrid->addWidget(captionLabel(all[i], palette().color(QPalette::WindowText), this), row,
                             0);
    QLabel* value = captionLabel(QString(), i == 0 ? kNameColor : kCaptionColor, this);
    // A long name must not widen the side panel; the other facts wrap rather than lose
    // their end ("(first 256 K of 1.10 MB shown)").
    value->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    value->setWordWrap(i > 0);
    m_captionGrid->addWidget(value, row, 1);
    m_values.push_back(value);
  }
  m_captionGrid->setColumnStretch(1, 1);
  layout->addLayout(m_captionGrid);
  m_body = new QVBoxLayout;
  m_body->setContentsMargins(0, kMargin / 2, 0, 0);
  m_message = new QLabel(this);
  m_message->setWordWrap(true);
  m_message->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  m_message->setTextFormat(Qt::PlainText);
  m_message->hide();
  m_body->addWidget(m_message, 1);
  layout->addLayout(m_body, 1);
}

void PreviewPane::Close() {
  hide();
  for (QLabel* value : m_values) value->clear();
  setMessage(QString());
}

QString PreviewPane::captionText(int index) const {
  return index >= 0 && index < static_cast<int>(m_values.size()) ? m_values[index]->text()
                                                                 : QString();
}

QString PreviewPane::messageText() const {
  return m_message->text();
}

bool PreviewPane::showsMessage() const {
  return !m_message->isHidden();
}

void PreviewPane::setCaption(int index, const QString& text) {
  if (index < 0 || index >= static_cast<int>(m_values.size())) return;
  m_values[index]->setText(text);
  m_values[index]->setToolTip(text);
}

void PreviewPane::setContent(QWidget* content) {
  m_content = content;
  m_body->insertWidget(0, content, 1);
}

void PreviewPane::setMessage(const QString& text) {
  m_message->setText(text);
  m_message->setVisible(!text.isEmpty());
  if (m_content) m_content->setVisible(text.isEmpty());
}

bool PreviewPane::fillNameAndTime(const std::string& path) {
  setCaption(0, QtText(DisplayNameOf(path)));
  FileFacts facts;
  if (!ReadFileFacts(path, &facts)) {
    setCaption(1, QString());
    return false;
  }
  setCaption(1, DateSlashTime(facts.modified));
  return true;
}

}  // namespace tf
