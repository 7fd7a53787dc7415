#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QTimer>

#include <gtest/gtest.h>

#include "ui/chosen_path.h"
#include "ui/qt_questions.h"

namespace tf {
namespace {

struct TempFolder {
  std::string path;
  TempFolder() {
    char pattern[] = "/tmp/tf_ui_XXXXXX";
    path = mkdtemp(pattern);
  }
  ~TempFolder() { std::filesystem::remove_all(path); }
  std::string touch(const std::string& name) const {
    std::ofstream(path + "/" + name) << "x";
    return path + "/" + name;
  }
};

QString Shown(const std::string& bytes) {
  return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

TEST(ChosenPath, NamesThatAreNotUtf8GetTheirBytesBack) {
  TempFolder dir;
  const std::string odd = dir.touch(std::string("caf\xe9 <1>.txt"));
  ASSERT_TRUE(Shown(odd).contains(QChar::ReplacementCharacter));
  std::string out;
  ASSERT_TRUE(ChosenPathBytes(Shown(odd), false, &out));
  EXPECT_EQ(out, odd);

  // A folder with such a name on the way, and a new file below it to be saved.
  const std::string folder = dir.path + "/\xff\xfe dir";
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  ASSERT_TRUE(ChosenPathBytes(Shown(folder + "/new \"name\".mcf"), true, &out));
  EXPECT_EQ(out, folder + "/new \"name\".mcf");
  EXPECT_FALSE(ChosenPathBytes(Shown(folder + "/missing.mcf"), false, &out));

  // Two names that show alike: choosing either would be a guess.
  dir.touch("x\xf0.txt");
  dir.touch("x\xf1.txt");
  out = "unchanged";
  EXPECT_FALSE(ChosenPathBytes(Shown(dir.path + "/x\xf0.txt"), false, &out));
  EXPECT_EQ(out, "unchanged");

  const std::string plain = dir.touch("plain name.txt");
  ASSERT_TRUE(ChosenPathBytes(Shown(plain), false, &out));
  EXPECT_EQ(out, plain);
  EXPECT_FALSE(ChosenPathBytes(QString(), true, &out));
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

TEST(QtQuestions, ChoosersAnswerWithTheChosenPath) {
  TempFolder dir;
  // (Qt's dialog reads a typed name with a double quote as a list of names.)
  const std::string file = dir.touch("it's <a> file.mcf");
  QtQuestions questions(nullptr);
  DialogScript script;
  std::string out;

  script.answer(Shown(file));
  ASSERT_TRUE(questions.ChooseFileToOpen("Mask collection", "*.mcf", "Load masks", dir.path, &out));
  EXPECT_EQ(out, file);
  EXPECT_EQ(script.title, "Load masks");

  script.answer(QString());
  out = "kept";
  EXPECT_FALSE(questions.ChooseFileToOpen("", "", "Open", dir.path, &out));
  EXPECT_EQ(out, "kept");

  std::string target = "saved";
  script.answer(Shown(dir.path + "/saved"));
  ASSERT_TRUE(questions.ChooseFileToSave("Mask collection", "*.mcf", ".mcf", dir.path, "Save", true,
                                         &target));
  EXPECT_EQ(target, dir.path + "/saved.mcf");

  script.answer(Shown(dir.path));
  ASSERT_TRUE(questions.ChooseFolder(dir.path, "", &out));
  EXPECT_EQ(out, dir.path);
  EXPECT_EQ(script.title, "Choose a folder");
}

TEST(QtQuestions, NamesThatAreNotUtf8CanBeChosen) {
  TempFolder dir;
  const std::string file = dir.touch(std::string("caf\xe9 <1>.mcf"));
  const std::string folder = dir.path + "/\xff dir";
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  QtQuestions questions(nullptr);
  DialogScript script;
  std::string out;

  script.answer(Shown(file));
  ASSERT_TRUE(questions.ChooseFileToOpen("", "", "Open", dir.path, &out));
  EXPECT_EQ(out, file);

  script.answer(Shown(folder));
  ASSERT_TRUE(questions.ChooseFolder(dir.path, "Choose working directory", &out));
  EXPECT_EQ(out, folder);

  // A file where a folder is asked for is still refused, by the dialog itself.
  script.answer(Shown(file));
  script.expectRefusal = true;
  EXPECT_FALSE(questions.ChooseFolder(dir.path, "", &out));
}

}  // namespace
}  // namespace tf
