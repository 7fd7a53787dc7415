#include <string>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QTimer>

#include <gtest/gtest.h>

#include "tests/support/temp_tree.h"
#include "ui/chosen_path.h"
#include "ui/qt_questions.h"

namespace tf {
namespace {

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

// Answers the file dialogs that the test opens. Whatever is still modal a few seconds
// after an answer (a refusal from the dialog) is closed and reported.
class DialogScript {
 public:
  DialogScript() {
    m_watchdog.setSingleShot(true);
    QObject::connect(&m_watchdog, &QTimer::timeout, [this] {
      while (auto* left = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        if (!expectRefusal) ADD_FAILURE() << "left open: " << left->metaObject()->className();
        left->reject();
      }
    });
  }

  // The next dialog chooses `name`, or is cancelled for an empty name.
  void answer(const QString& name) {
    QTimer::singleShot(0, [this, name] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      title = dialog->windowTitle();
      if (name.isEmpty()) {
        dialog->reject();
        return;
      }
      dialog->selectFile(name);
      static_cast<QDialog*>(dialog)->accept();  // the file dialog checks the choice
    });
    m_watchdog.start(3000);
  }

  QString title;
  bool expectRefusal = false;  // the dialog is expected to stay open

 private:
  QTimer m_watchdog;
};

TEST(QtQuestions, ChoosersAnswerWithTheChosenPathBytes) {
  testing::TempTree dir;
  // (Qt's dialog reads a typed name with a double quote as a list of names.)
  const std::string file = dir.File("caf\xe9 it's <a>.mcf");
  const std::string folder = dir.Folder("\xff dir");
  QtQuestions questions(nullptr);
  DialogScript script;
  std::string out;

  script.answer(Shown(file));
  ASSERT_TRUE(
      questions.ChooseFileToOpen("Mask collection", "*.mcf", "Load masks", dir.root(), &out));
  EXPECT_EQ(out, file);
  EXPECT_EQ(script.title, "Load masks");

  script.answer(QString());
  out = "kept";
  EXPECT_FALSE(questions.ChooseFileToOpen("", "", "Open", dir.root(), &out));
  EXPECT_EQ(out, "kept");

  // A name typed without the extension gets it.
  std::string target = "saved";
  script.answer(Shown(dir / "saved"));
  ASSERT_TRUE(questions.ChooseFileToSave("Mask collection", "*.mcf", ".mcf", dir.root(), "Save",
                                         true, &target));
  EXPECT_EQ(target, dir / "saved.mcf");

  script.answer(Shown(folder));
  ASSERT_TRUE(questions.ChooseFolder(dir.root(), "", &out));
  EXPECT_EQ(out, folder);

  // A file where a folder is asked for is refused by the dialog itself.
  script.answer(Shown(file));
  script.expectRefusal = true;
  EXPECT_FALSE(questions.ChooseFolder(dir.root(), "", &out));
}

}  // namespace
}  // namespace tf
