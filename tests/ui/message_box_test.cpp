#include "ui/message_box.h"

#include <functional>
#include <string>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "base/questions.h"
#include "ui/qt_questions.h"

namespace tf {
namespace {

// Runs `ask` (which shows a message box) and lets `act` handle the box while it is up. A
// watchdog closes a box that `act` left open, so a failing test cannot hang.
int WhileShown(const std::function<void(MessageBox*)>& act, const std::function<int()>& ask) {
  QTimer::singleShot(0, [&act] {
    auto* box = qobject_cast<MessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    act(box);
  });
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] {
    if (auto* box = qobject_cast<MessageBox*>(QApplication::activeModalWidget())) box->done(-1);
  });
  watchdog.start(5000);
  return ask();
}

int ClickButton(int buttonSet, int controlId) {
  return WhileShown(
      [controlId](MessageBox* box) {
        QPushButton* button = box->button(controlId);
        ASSERT_NE(button, nullptr) << controlId;
        QTest::mouseClick(button, Qt::LeftButton);
      },
      [buttonSet] { return ShowMessage(nullptr, "Question?", "Test", buttonSet); });
}

// The visible buttons' texts from left to right.
std::string ButtonRow(MessageBox* box) {
  std::string row;
  int lastX = -1;
  for (int id : {1, 7, 2}) {  // the order the sets place them in
    QPushButton* button = box->button(id);
    if (!button) continue;
    EXPECT_GT(button->x(), lastX) << button->text().toStdString();
    lastX = button->x();
    row += (row.empty() ? "" : " ") + button->text().toStdString();
  }
  return row;
}

TEST(MessageBox, EachButtonSetShowsItsButtonsInOrder) {
  const struct {
    int set;
    const char* row;
  } cases[] = {{MB_OKCANCEL, "OK Cancel"},
               {MB_YESNOCANCEL, "Yes No Cancel"},
               {MB_YESNO, "Yes No"},
               {MB_OK, "OK"},
               {9, "OK"}};
  for (const auto& c : cases) {
    std::string row;
    WhileShown([&row](MessageBox* box) { row = ButtonRow(box), box->done(0); },
               [&c] { return ShowMessage(nullptr, "Text", nullptr, c.set); });
    EXPECT_EQ(row, c.row) << c.set;
  }
}

TEST(MessageBox, EnterPressesTheDefaultButtonWhichMayBeTheSecond) {
  const auto pressEnter = [](int set) {
    return WhileShown([](MessageBox* box) { QTest::keyClick(box, Qt::Key_Return); },
                      [set] { return ShowMessage(nullptr, "Delete them all?", "Test", set); });
  };
  EXPECT_EQ(pressEnter(MB_YESNO), IDYES);
  EXPECT_EQ(pressEnter(MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(pressEnter(MB_YESNOCANCEL | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(pressEnter(MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
  EXPECT_EQ(pressEnter(MB_OK | MB_DEFBUTTON2), IDCANCEL);  // its one button
  // The buttons themselves stay as the set has them.
  std::string row;
  WhileShown([&row](MessageBox* box) { row = ButtonRow(box), box->done(0); },
             [] { return ShowMessage(nullptr, "Text", nullptr, MB_YESNO | MB_DEFBUTTON2); });
  EXPECT_EQ(row, "Yes No");
}

TEST(MessageBox, ButtonsAnswerThePlatformCodes) {
  EXPECT_EQ(ClickButton(MB_OKCANCEL, 1), IDOK);
  EXPECT_EQ(ClickButton(MB_OKCANCEL, 2), IDCANCEL);
  EXPECT_EQ(ClickButton(MB_YESNOCANCEL, 1), IDYES);
  EXPECT_EQ(ClickButton(MB_YESNOCANCEL, 7), IDNO);
  EXPECT_EQ(ClickButton(MB_YESNOCANCEL, 2), IDCANCEL);
  EXPECT_EQ(ClickButton(MB_YESNO, 1), IDYES);
  EXPECT_EQ(ClickButton(MB_YESNO, 2), IDNO);
  EXPECT_EQ(ClickButton(MB_OK, 2), IDCANCEL);
}

TEST(MessageBox, EscapeAnswersAsTheSecondButton) {
  for (int set : {MB_OKCANCEL, MB_YESNOCANCEL, MB_YESNO, MB_OK}) {
    const int answer = WhileShown([](MessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); },
                                  [set] { return ShowMessage(nullptr, "Close me", nullptr, set); });
    EXPECT_EQ(answer, set == MB_YESNO ? IDNO : IDCANCEL) << set;
  }
}

TEST(MessageBox, ShowsTheCentredTextCaptionAndTips) {
  std::string text;
  QString caption, textTip, okTip;
  bool okHasFocus = false;
  WhileShown(
      [&](MessageBox* box) {
        text = box->textLabel()->text().toStdString();
        textTip = box->textLabel()->toolTip();
        caption = box->windowTitle();
        okTip = box->button(2)->toolTip();
        okHasFocus = box->button(2)->isDefault();
        box->done(0);
      },
      [] { return ShowMessage(nullptr, "0123456789", nullptr, MB_OK); });
  EXPECT_EQ(text, std::string(35, ' ') + "0123456789" + std::string(35, ' '));
  EXPECT_EQ(caption, "Quorvan Twinfold");
  EXPECT_EQ(textTip, "Message");
  EXPECT_EQ(okTip, "Close");
  EXPECT_TRUE(okHasFocus);

  const std::string wide(76, 'x');
  WhileShown(
      [&](MessageBox* box) {
        text = box->textLabel()->text().toStdString();
        caption = box->windowTitle();
        box->done(0);
      },
      [&wide] {
        QtQuestions questions(nullptr, "Quorvan Twinfold");
        return questions.ShowMessage(wide + "\nsecond", nullptr, MB_YESNO);
      });
  EXPECT_EQ(text, wide + "\nsecond");
  EXPECT_EQ(caption, "Quorvan Twinfold");
}

TEST(MessageBox, EmptyTextShowsNothing) {
  bool shown = false;
  QTimer probe;
  QObject::connect(&probe, &QTimer::timeout, [&shown] {
    if (auto* box = qobject_cast<MessageBox*>(QApplication::activeModalWidget())) {
      shown = true;
      box->done(-1);
    }
  });
  probe.start(0);
  EXPECT_EQ(ShowMessage(nullptr, "", "Caption", MB_YESNO), 0);
  QTest::qWait(20);
  EXPECT_FALSE(shown);
}

}  // namespace
}  // namespace tf
