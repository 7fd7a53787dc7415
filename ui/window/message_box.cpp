#include "ui/window/message_box.h"

#include <algorithm>

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app/message_text.h"
#include "base/questions.h"
#include "ui/qt_text.h"

namespace tf {

namespace {

// The dialog's least width, 226 dialog units of the original layout.
constexpr int kMinimumWidth = 340;

// Room left around the text by the dialog's frame, margins and the screen's edges.
constexpr int kFrameRoom = 80;
// Lines of the whole text the detail box shows before it scrolls.
constexpr int kDetailLines = 6;

QRect screenArea(QWidget* owner) {
  QScreen* screen = owner ? owner->screen() : nullptr;
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

// The text with every line too wide for `width` pixels cut in its middle, where a long
// path keeps both its start and its file name. `cut` tells whether any line was.
QString fittedText(const QString& text, const QFontMetrics& metrics, int width, bool* cut) {
  QStringList lines = text.split(QLatin1Char('\n'));
  for (QString& line : lines) {
    if (metrics.horizontalAdvance(line) <= width) continue;
    line = metrics.elidedText(line, Qt::ElideMiddle, width);
    *cut = true;
  }
  return lines.join(QLatin1Char('\n'));
}

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
  const QString whole = QtText(prepared);
  m_text->setObjectName("messageText");
  m_text->setTextFormat(Qt::PlainText);
  // Centring pads with blanks, which lines up only in a fixed-pitch font.
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  m_text->setFont(fixed);
  // A line wider than the screen (a path of 255-byte names) would push the buttons off
  // it: such lines are cut in the middle, and the whole text waits in a detail box below.
  const QRect area = screenArea(owner);
  const int room = std::max(kMinimumWidth, area.width() - kFrameRoom);
  bool cut = false;
  m_text->setText(fittedText(whole, QFontMetrics(fixed), room - 16, &cut));
  m_text->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  m_text->setContentsMargins(8, 2, 8, 2);
  m_text->setToolTip(cut ? whole : QStringLiteral("Message"));
  m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
  if (cut) {
    m_detail = new QPlainTextEdit(whole, this);
    m_detail->setObjectName("messageDetail");
    m_detail->setReadOnly(true);
    m_detail->setWordWrapMode(QTextOption::WrapAnywhere);
    m_detail->setFont(fixed);
    m_detail->setFixedWidth(std::min(room, m_text->sizeHint().width()));
    m_detail->setFixedHeight(QFontMetrics(fixed).lineSpacing() * kDetailLines + 12);
  }

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
    button->setText(QtText(shown.label));
    if (!shown.toolTip.empty()) button->setToolTip(QtText(shown.toolTip));
    const int result = shown.result;
    connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
    row->addWidget(button);
    button->show();
  }

  auto* column = new QVBoxLayout(this);
  column->addWidget(m_text, 1);
  if (m_detail) column->addWidget(m_detail);
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
  const QString title = QtText(caption ? caption : programTitle);
  MessageBox box(owner, text, title, buttonSet);
  return box.exec();
}

}  // namespace tf
