#include "ui/message_box.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

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

int Ask(int buttonSet, const std::function<void(MessageBox*)>& act) {
  return WhileShown(act, [buttonSet] { return ShowMessage(nullptr, "Delete?", "T", buttonSet); });
}

// Each set shows its buttons from left to right (by control id) and each click answers
// the platform's code; Enter presses the default, which may be the second; Escape and
// the close box answer as the second button.
TEST(MessageBox, ButtonsAndKeysAnswerThePlatformCodes) {
  using Row = std::vector<std::pair<int, int>>;  // control id, code it answers
  const std::pair<int, Row> sets[] = {
      {MB_OKCANCEL, {{1, IDOK}, {2, IDCANCEL}}},
      {MB_YESNOCANCEL, {{1, IDYES}, {7, IDNO}, {2, IDCANCEL}}},
      {MB_YESNO, {{1, IDYES}, {2, IDNO}}},
      {MB_OK, {{2, IDCANCEL}}},
      {9, {{2, IDCANCEL}}},  // unknown: a lone OK
  };
  for (const auto& [set, row] : sets) {
    std::vector<int> shown;
    Ask(set, [&shown](MessageBox* box) {
      int lastX = -1;
      for (int id : {1, 7, 2}) {
        if (QPushButton* button = box->button(id)) {
          EXPECT_GT(button->x(), lastX);
          lastX = button->x();
          shown.push_back(id);
        }
      }
      box->done(0);
    });
    std::vector<int> expected;
    for (const auto& [control, code] : row) {
      expected.push_back(control);
      const auto click = [id = control](MessageBox* box) {
        if (QPushButton* button = box->button(id)) QTest::mouseClick(button, Qt::LeftButton);
      };
      EXPECT_EQ(Ask(set, click), code) << set << " " << control;
    }
    EXPECT_EQ(shown, expected) << set;
    EXPECT_EQ(Ask(set, [](MessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }),
              set == MB_YESNO ? IDNO : IDCANCEL)
        << set;
  }
  const auto enter = [](MessageBox* box) { QTest::keyClick(box, Qt::Key_Return); };
  EXPECT_EQ(Ask(MB_YESNO, enter), IDYES);
  EXPECT_EQ(Ask(MB_YESNO | MB_DEFBUTTON2, enter), IDNO);
  EXPECT_EQ(Ask(MB_YESNOCANCEL | MB_DEFBUTTON2, enter), IDNO);
  EXPECT_EQ(Ask(MB_OKCANCEL | MB_DEFBUTTON2, enter), IDCANCEL);
  EXPECT_EQ(Ask(MB_OK | MB_DEFBUTTON2, enter), IDCANCEL);  // its one button
}

TEST(MessageBox, ShowsTheCentredTextUnderTheProgramsTitleAndNothingForNoText) {
  std::string text;
  QString caption;
  WhileShown(
      [&](MessageBox* box) {
        text = box->textLabel()->text().toStdString();
        caption = box->windowTitle();
        box->done(0);
      },
      [] {
        QtQuestions questions(nullptr, "Quorvan Twinfold");
        return questions.ShowMessage("0123456789", nullptr, MB_YESNO);
      });
  EXPECT_EQ(text, std::string(35, ' ') + "0123456789" + std::string(35, ' '));
  EXPECT_EQ(caption, "Quorvan Twinfold");

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
