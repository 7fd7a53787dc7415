// Helpers for the buttons, check boxes, option buttons, combo boxes and row lists of the
// window and its dialogs.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

class QAbstractButton;
class QBoxLayout;
class QComboBox;
class QDialog;
class QPushButton;
class QTableView;
class QWidget;

namespace tf {

// Switches repainting of `window` off or on; on repaints it at once.
void SetRedraw(QWidget* window, bool on);

// 0 clears, 1 sets, 2 toggles the check mark; returns the new state (0 or 1).
int SetCheck(QAbstractButton* button, int state);
bool IsChecked(const QAbstractButton* button);
// Enables or disables, touching the control only when its state changes.
void EnableControl(QWidget* control, bool enable);

// The caption and tooltip of a push button.
struct ButtonText {
  const char* caption;
  const char* toolTip;
};
// A push button of `parent` showing `text` (a null tooltip: none).
QPushButton* MakeButton(const ButtonText& text, QWidget* parent);
// The same for a button of a dialog that Enter does not press: Enter is the dialog's OK.
QPushButton* MakeDialogButton(const ButtonText& text, QWidget* parent);
// The buttons of a list's commands, one per entry of `texts` in order, disabled until the
// selection allows their command; a click on the n-th runs `run(n)`.
std::vector<QPushButton*> MakeCommandButtons(std::span<const ButtonText> texts, QWidget* parent,
                                             const std::function<void(int)>& run);
// The narrow "..." button beside a box, which opens a chooser for the box's path.
QPushButton* MakeChooserButton(const char* toolTip, QWidget* parent);
// The OK and Cancel row at the foot of `dialog`'s `layout`, the one row every dialog of the
// program ends with. OK (the default button) runs the dialog's accept(), which may find a
// field wrong and keep it open; with `mayAccept`, OK accepts only when that answers true
// (having said why not). Cancel runs reject(). A null caption is "OK" or "Cancel"; the
// buttons of `left` stand at the row's other end, apart from the two.
struct OkCancel {
  QPushButton* ok;
  QPushButton* cancel;
};
struct OkCancelRow {
  ButtonText ok{nullptr, nullptr};
  ButtonText cancel{nullptr, nullptr};
  std::vector<QPushButton*> left;
  std::function<bool()> mayAccept;
};
OkCancel AddOkCancel(QDialog* dialog, QBoxLayout* layout, const OkCancelRow& row);
OkCancel AddOkCancel(QDialog* dialog, QBoxLayout* layout, const char* okTip, const char* cancelTip);
// Draws the caption of a button that deletes in dark red while it can be pressed;
// disabled, it greys out like its neighbours.
void MarkDeleteButton(QPushButton* button);
// Sets up a list of whole rows as every list of the window shows them: rows selected whole
// (one, or several with `severalRows`), not edited, one line high without a row header
// (a list of a million rows costs no measuring), long paths losing their middle, not the
// name at their end; column headings clickable, left-aligned.
void SetUpRowList(QTableView* list, bool severalRows);

// An option button of a group and the value it stands for (never 0).
struct RadioChoice {
  int id;
  QAbstractButton* button;
};
// Checks the button whose id is `value` and clears the others (all, when none matches).
void SetRadioGroup(const std::vector<RadioChoice>& group, int value);
// The id of the first checked button, or 0.
int RadioValue(const std::vector<RadioChoice>& group);

void ComboClear(QComboBox* combo);
// Adds texts in order until an empty one or `count` of them (-1: all); returns how many.
int ComboFill(QComboBox* combo, const std::vector<std::string>& texts, int count = -1);
// Appends a text; returns its index.
int ComboAdd(QComboBox* combo, const std::string& text);
// Selects the entry that is exactly `text`; its index, or -1 (the selection stays).
int ComboSelectText(QComboBox* combo, const std::string& text);
// The selected index, or -1.
int ComboSelection(const QComboBox* combo);

}  // namespace tf
