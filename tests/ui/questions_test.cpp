// The questions the program asks through real dialogs: message boxes and the answers
// their buttons and keys give, and the file and folder choosers, which must hand back the
// bytes of the chosen path on disk, as list rows keep theirs.
#include <functional>
#include <utility>
#include <vector>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "base/questions.h"
#include "tests/support/temp_tree.h"
#include "ui/window/chosen_path.h"
#include "ui/window/list_helpers.h"
#include "ui/window/message_box.h"
#include "ui/window/qt_questions.h"

namespace tf {
namespace {

// Runs `ask`, which shows a modal T, and lets `act` (if any) handle it while it is up. A
// watchdog closes what is still open after three seconds and, unless `mayStay`, fails:
// a failing test cannot hang.
template <typename T>
int WhileShown(const std::function<void(T*)>& act, const std::function<int()>& ask,
               bool mayStay = false) {
  if (act) {
    QTimer::singleShot(0, [&act] {
      auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      act(dialog);
    });
  }
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [mayStay] {
    while (auto* left = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      if (!mayStay) ADD_FAILURE() << "left open: " << left->metaObject()->className();
      left->reject();
    }
  });
  watchdog.start(3000);
  return ask();
}

int Ask(int buttonSet, const std::function<void(MessageBox*)>& act) {
  return WhileShown<MessageBox>(
      act, [buttonSet] { return ShowMessage(nullptr, "Delete?", "T", buttonSet); });
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
    std::vector<int> shown, expected;
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
  EXPECT_EQ(Ask(MB_OK | MB_DEFBUTTON2, enter), IDCANCEL);  // its one button

  // The program's questions show the text under its title; no text shows no box.
  QString text, caption;
  WhileShown<MessageBox>(
      [&](MessageBox* box) {
        text = box->textLabel()->text();
        caption = box->windowTitle();
        box->done(0);
      },
      [] {
        return QtQuestions(nullptr, "Quorvan Twinfold")
            .ShowMessage("0123456789", nullptr, MB_YESNO);
      });
  EXPECT_EQ(text.trimmed(), "0123456789");
  EXPECT_EQ(caption, "Quorvan Twinfold");
  EXPECT_EQ(WhileShown<MessageBox>({}, [] { return ShowMessage(nullptr, "", "C", MB_YESNO); }), 0);
}

// A path of three 255-byte names would make the box some 4,500 pixels wide: its lines
// are cut in the middle to fit the screen, the whole text waits in a detail box and a
// tooltip, and each button lies on the screen where a click reaches it.
TEST(MessageBox, AVeryLongPathFitsTheScreenAndItsButtonsAreWhereTheyAreClicked) {
  const std::string name(251, 'x');
  const std::string path = "/tmp/" + name + "/" + name + "/" + name + ".txt";
  const std::string text = "\"" + path + "\"\nThe trash cannot take a name that long.";
  QString detail, tip, firstLine;
  const int answer = WhileShown<MessageBox>(
      [&](MessageBox* box) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(box));
        const QRect screen = box->screen()->availableGeometry();
        EXPECT_TRUE(screen.contains(box->frameGeometry())) << box->frameGeometry().width();
        ASSERT_NE(box->detail(), nullptr);
        detail = box->detail()->toPlainText();
        tip = box->textLabel()->toolTip();
        firstLine = box->textLabel()->text().section(QLatin1Char('\n'), 0, 0);
        for (int control : {1, 2}) {  // Yes and No, each where a click at its middle lands
          QPushButton* button = box->button(control);
          const QPoint centre = button->mapToGlobal(button->rect().center());
          EXPECT_TRUE(screen.contains(centre)) << control;
          EXPECT_EQ(QApplication::widgetAt(centre), button) << control;
        }
        QTest::mouseClick(box->button(2), Qt::LeftButton);
      },
      [&] { return ShowMessage(nullptr, text, "Not moved to the trash", MB_YESNO); });
  EXPECT_EQ(answer, IDNO);
  EXPECT_EQ(detail.toStdString(), text);
  EXPECT_EQ(tip.toStdString(), text);
  // Both ends of the path stay readable, the file name among them.
  EXPECT_TRUE(firstLine.startsWith(QStringLiteral("\"/tmp/xxx")));
  EXPECT_TRUE(firstLine.endsWith(QStringLiteral("xxx.txt\""))) << firstLine.toStdString();
  EXPECT_TRUE(firstLine.contains(QChar(0x2026)));
  // A short message needs no detail.
  WhileShown<MessageBox>(
      [](MessageBox* box) {
        EXPECT_EQ(box->detail(), nullptr);
        box->done(0);
      },
      [] { return ShowMessage(nullptr, "Short.", "T", MB_OK); });
}

QString Shown(const std::string& bytes) {
  return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

// A dialog hands back the name it shows; a name that is not UTF-8 must be mapped back to
// its bytes on disk, or the program would act on a path that does not exist (the choosers
// below map an existing file and folder).
TEST(ChosenPath, NamesThatAreNotUtf8GetTheirBytesBack) {
  testing::TempTree dir;
  std::string out;
  // A folder with such a name on the way, and a new file below it to be saved.
  const std::string folder = dir.Folder("\xff\xfe dir");
  ASSERT_TRUE(ChosenPathBytes(Shown(folder + "/new \"name\".mcf"), true, &out));
  EXPECT_EQ(out, folder + "/new \"name\".mcf");
  EXPECT_FALSE(ChosenPathBytes(Shown(folder + "/missing.mcf"), false, &out));

  // Two names that show alike: choosing either would be a guess.
  dir.File("x\xf0.txt");
  dir.File("x\xf1.txt");
  out = "unchanged";
  EXPECT_FALSE(ChosenPathBytes(Shown(dir / "x\xf0.txt"), false, &out));
  EXPECT_EQ(out, "unchanged");
}

TEST(QtQuestions, ChoosersAnswerWithTheChosenPathBytes) {
  testing::TempTree dir;
  // (Qt's dialog reads a typed name with a double quote as a list of names.)
  const std::string file = dir.File("caf\xe9 it's <a>.mcf");
  const std::string folder = dir.Folder("\xff dir");
  QtQuestions questions(nullptr);
  std::string out;
  QString title;
  // Runs `ask` while its dialog chooses `name`, or is cancelled for an empty name.
  const auto chosen = [&title](const QString& name, const std::function<bool()>& ask,
                               bool mayStay = false) {
    const auto act = [&title, name](QFileDialog* dialog) {
      title = dialog->windowTitle();
      if (name.isEmpty()) return dialog->reject();
      dialog->selectFile(name);
      static_cast<QDialog*>(dialog)->accept();  // the file dialog checks the choice
    };
    return WhileShown<QFileDialog>(
               act, [&ask] { return int(ask()); }, mayStay) != 0;
  };

  ASSERT_TRUE(chosen(Shown(file), [&] {
    return questions.ChooseFileToOpen("Mask collection", "*.mcf", "Load masks", dir.root(), &out);
  }));
  EXPECT_EQ(out, file);
  EXPECT_EQ(title, "Load masks");
  out = "kept";
  EXPECT_FALSE(
      chosen({}, [&] { return questions.ChooseFileToOpen("", "", "Open", dir.root(), &out); }));
  EXPECT_EQ(out, "kept");

  // A name typed without the extension gets it.
  std::string target = "saved";
  ASSERT_TRUE(chosen(Shown(dir / "saved"), [&] {
    return questions.ChooseFileToSave("Mask collection", "*.mcf", ".mcf", dir.root(), "Save", true,
                                      &target);
  }));
  EXPECT_EQ(target, dir / "saved.mcf");

  ASSERT_TRUE(chosen(Shown(folder), [&] { return questions.ChooseFolder(dir.root(), "", &out); }));
  EXPECT_EQ(out, folder);
  // A file where a folder is asked for is refused by the dialog itself.
  EXPECT_FALSE(chosen(
      Shown(file), [&] { return questions.ChooseFolder(dir.root(), "", &out); }, true));
}

// Rows keep the exact bytes of names that are not UTF-8, so that a path found in a list
// is the path on disk, not the replacement characters the list shows.
TEST(ListHelpers, RowsKeepTheirBytesForFindingAndSelecting) {
  QTreeWidget list;
  list.setColumnCount(3);
  list.setSelectionMode(QAbstractItemView::ExtendedSelection);
  const std::string odd("b\xff", 2);
  AddRow(&list, "c", 30, -1);
  AddRow(&list, "a", 10, 0);
  AddRow(&list, odd, 20, 1);
  AddRow(&list, odd, 40, 99);  // past the end: appended
  ASSERT_EQ(list.topLevelItemCount(), 4);
  EXPECT_EQ(RowText(list.topLevelItem(2)), "c");

  int64_t value = 0;
  EXPECT_EQ(FindRow(&list, odd, -1, &value), 1);
  EXPECT_EQ(value, 20);
  EXPECT_EQ(FindRow(&list, odd, 1, &value), 3);
  EXPECT_EQ(value, 40);
  EXPECT_EQ(FindRow(&list, "b\xef\xbf\xbd", -1, nullptr), -1);  // what the row shows
  EXPECT_EQ(FindRow(&list, "", -1, nullptr), -1);

  EXPECT_EQ(SelectRow(&list, 2, true), 1);
  EXPECT_EQ(SelectRow(&list, 4, false), 2);  // the count itself: the last row
  EXPECT_EQ(list.currentItem(), list.topLevelItem(3));
  EXPECT_EQ(SelectRow(&list, 50, false), 3);  // past it: the first row
  std::vector<std::string> texts{"kept"};
  EXPECT_EQ(GetSelectedTexts(&list, &texts), 3);
  EXPECT_EQ(texts, (std::vector<std::string>{"kept", "a", "c", odd}));
}

// Sizes and dates were cut in lists drawn with a font wider than the tables assume.
TEST(ListHelpers, WiderFontsWidenOnlyThePixelColumns) {
  QFont font;
  font.setPixelSize(40);
  const std::vector<int> scaled = ScaleColumnTable({-100, 60, 0}, QFontMetrics(font));
  EXPECT_EQ(scaled[0], -100);
  EXPECT_GT(scaled[1], 60);
  EXPECT_EQ(scaled[2], 0);
}

}  // namespace
}  // namespace tf
