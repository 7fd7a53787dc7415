#include "ui/window/message_box.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/message_text.h"
#include "base/questions.h"

namespace tf {

namespace {

// The dialog's least width, 226 dialog units of the original layout.
constexpr int kMinimumWidth = 340;

int slotOf(int controlId) {
  return controlId == kMessageButtonFirst ? 0 : controlId == kMessageButtonSecond ? 1 : 2;
}

}  // namespace

MessageBox::MessageBox(QWidget* owner, const std::string& text, const QString& caption,
                       int buttonSet)
    : QDialog(owner), m_text(new QLabel(this)) {
  setObjectName("MessageBox");
  setModal(true);
  setWindowTitle(caption);
  setMinimumWidth(kMinimumWidth);

  const std::string prepared = PrepareMessageText(text);
  m_text->setObjectName("messageText");
  m_text->setTextFormat(Qt::PlainText);
  m_text->setText(QString::fromUtf8(prepared.data(), static_cast<qsizetype>(prepared.size())));
  m_text->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  // Centring pads with blanks, which lines up only in a fixed-pitch font.
  m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  m_text->setContentsMargins(8, 2, 8, 2);
  m_text->setToolTip("Message");
  m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);

  const char* defaults[3] = {"OK", "Cancel", "No"};
  const int ids[3] = {kMessageButtonFirst, kMessageButtonSecond, kMessageButtonNo};
  for (int i = 0; i < 3; ++i) {
    m_buttons[i] = new QPushButton(defaults[i], this);
    m_buttons[i]->setObjectName(QString("button%1").arg(ids[i]));
    m_buttons[i]->hide();
  }

  const ButtonLayout layout = LayoutForButtonSet(buttonSet);
  m_closeResult = layout.closeResult;
  auto* row = new QHBoxLayout;
  row->addStretch();
  for (const MessageButton& shown : layout.buttons) {
    QPushButton* button = m_buttons[slotOf(shown.controlId)];
    button->setText(QString::fromUtf8(shown.label.c_str()));
    if (!shown.toolTip.empty()) button->setToolTip(QString::fromUtf8(shown.toolTip.c_str()));
    const int result = shown.result;
    connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
    row->addWidget(button);
    button->show();
  }

  auto* column = new QVBoxLayout(this);
  column->addWidget(m_text, 1);
  column->addLayout(row);
  column->setSizeConstraint(QLayout::SetFixedSize);

  // The first button has the focus, or the second when the set asks for it; the lone
  // "OK" of a plain message stands in for either.
  QPushButton* focus = m_buttons[slotOf(layout.buttons.front().controlId)];
  if (SecondButtonIsDefault(buttonSet) && layout.buttons.size() > 1)
    focus = m_buttons[slotOf(layout.buttons[1].controlId)];
  focus->setDefault(true);
  focus->setFocus();
}

QPushButton* MessageBox::button(int controlId) const {
  if (controlId != kMessageButtonFirst && controlId != kMessageButtonSecond &&
      controlId != kMessageButtonNo)
    return nullptr;
  QPushButton* button = m_buttons[slotOf(controlId)];
  return button->isHidden() ? nullptr : button;
}

void MessageBox::reject() {
  done(m_closeResult);
}

int ShowMessage(QWidget* owner, const std::string& text, const char* caption, int buttonSet,
                const std::string& programTitle) {
  if (text.empty()) return 0;
  const QString title = QString::fromUtf8(caption ? caption : programTitle.c_str());
  MessageBox box(owner, text, title, buttonSet);
  return box.exec();
}

}  // namespace tf
