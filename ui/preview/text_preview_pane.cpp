#include "ui/preview/text_preview_pane.h"

#include <QPlainTextEdit>

#include "platform/display_format.h"
#include "platform/stored_file.h"
#include "results/preview_text.h"
#include "ui/qt_text.h"
#include "ui/window/library_fonts.h"

namespace tf {
namespace {

QString sizeText(int64_t size) {
  std::string number;
  std::string unit;
  FormatSize(size, &number, &unit);
  return QString::fromStdString(number + " " + unit).trimmed();
}

}  // namespace

TextPreviewPane::TextPreviewPane(QWidget* parent)
    : PreviewPane({QStringLiteral("Last modified:")}, parent) {
  m_field = new QPlainTextEdit(this);
  m_field->setReadOnly(true);
  m_field->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_field->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_field->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_field->setObjectName(QStringLiteral("PreviewText"));
  m_normalFont = m_field->font();
  setContent(m_field);
}

void TextPreviewPane::SetFixedPitch(bool fixed) {
  m_field->setFont(fixed ? LibraryFont(kFixedPitchFont) : m_normalFont);
}

void TextPreviewPane::Open(const std::string& path) {
  m_field->clear();
  setMessage(QString());
  fillNameAndTime(path);
  std::string bytes;
  int64_t fileSize = 0;
  if (!ReadFileHead(path, kTextPreviewBytes, &bytes, &fileSize)) {
    setMessage(QStringLiteral("The file cannot be read."));
    return;
  }
  const bool cut = fileSize > static_cast<int64_t>(bytes.size());
  const PreviewText text = DecodePreviewText(bytes, cut);
  if (text.encoding == TextEncoding::kBinary) {
    setMessage(QStringLiteral("This file holds binary data, not text; it is not shown."));
    return;
  }
  QString shown = QtText(text.utf8);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));  // files written on Windows
  m_field->setPlainText(shown);
  if (cut) {
    // Say that only the start is shown, so that nobody takes it for the whole file.
    setCaption(1, captionText(1) +
                      QStringLiteral("   (first %1 of %2 shown)")
                          .arg(sizeText(static_cast<int64_t>(bytes.size())), sizeText(fileSize)));
  }
}

void TextPreviewPane::Close() {
  m_field->clear();
  PreviewPane::Close();
}

}  // namespace tf
