// MessageBox: the program's own modal message dialog, with its four button sets, and
// ShowMessage, through which every message and question of the window program goes.
#pragma once

#include <string>

#include <QDialog>
#include <QString>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tf {

// The caption of a message that names none: the application title of window captions.
inline constexpr char kProgramTitle[] = "Quorvan Twinfold";

class MessageBox : public QDialog {
  Q_OBJECT

 public:
  // A box over `owner` showing `text` centred as PrepareMessageText does, with the buttons
  // of `buttonSet` (MB_OKCANCEL, MB_YESNOCANCEL, MB_YESNO, anything else a lone "OK"),
  // the first one the default unless MB_DEFBUTTON2 is added.
  MessageBox(QWidget* owner, const std::string& text, const QString& caption, int buttonSet);

  // The button of a control id (1, 2 or 7), or null while that button is hidden.
  QPushButton* button(int controlId) const;
  QLabel* textLabel() const { return m_text; }
  // The whole text, scrollable, when a line had to be cut to fit the screen; else null.
  QPlainTextEdit* detail() const { return m_detail; }

 public slots:
  // Escape and the window's close box answer as the second button does.
  void reject() override;

 private:
  QLabel* m_text;
  QPlainTextEdit* m_detail = nullptr;
  QPushButton* m_buttons[3];  // controls 1, 2 and 7
  int m_closeResult;
};

// Shows `text` modally over `owner` and returns the result code of the button pressed
// (IDOK, IDCANCEL, IDYES, IDNO), or 0 without showing anything for an empty text. A null
// caption shows `programTitle`.
int ShowMessage(QWidget* owner, const std::string& text, const char* caption, int buttonSet,
                const std::string& programTitle = kProgramTitle);

}  // namespace tf
