#include "ui/window/qt_questions.h"

#include <utility>

#include <QFileDialog>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>
#include <QStringList>

#include "platform/path_utils.h"
#include "ui/qt_text.h"
#include "ui/window/chosen_path.h"
#include "ui/window/long_work.h"

namespace tf {

namespace {

// One filter named by the caller ("Mask collection", or "Exe file (*.exe)" that already
// shows its pattern), then every file.
QStringList nameFilters(const std::string& filterName, const std::string& filterPattern) {
  QStringList filters;
  if (!filterPattern.empty()) {
    const QString patterns = QtText(filterPattern).replace(';', ' ');
    QString name = filterName.empty() ? patterns : QtText(filterName);
    if (!name.contains('(' + patterns + ')')) name += " (" + patterns + ')';
    filters << name;
  }
  filters << "All files (*)";
  return filters;
}

// Qt's own file dialog shows a name that is not UTF-8 with replacement characters and
// then refuses it as missing. This one accepts such a choice when it names exactly one
// existing file (or folder, when choosing folders).
class ByteSafeFileDialog : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;

 protected:
  void accept() override {
    const QStringList files = selectedFiles();
    std::string bytes;
    if (acceptMode() == AcceptOpen && files.size() == 1 &&
        files.front().contains(QChar::ReplacementCharacter) &&
        ChosenPathBytes(files.front(), false, &bytes)) {
      const bool folder = PathKind(bytes) == PATH_FOLDER;
      if (folder == (fileMode() == Directory)) {
        QDialog::accept();
        return;
      }
    }
    QFileDialog::accept();
  }
};

// Runs the dialog and hands back the chosen path's own bytes.
bool runChooser(QFileDialog& dialog, bool lastMayBeNew, std::string* out) {
  const LongWork::QuestionOpen asking;
  if (dialog.exec() != QDialog::Accepted) return false;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return false;
  return ChosenPathBytes(chosen.front(), lastMayBeNew, out);
}

// Shows folders and, while `programsOnly`, only the files with an execute bit.
class ProgramsProxy : public QSortFilterProxyModel {
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;
  void setProgramsOnly(bool on) {
    m_programsOnly = on;
    invalidateFilter();
  }

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    if (!m_programsOnly) return true;
    auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
    if (!files) return true;
    const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
    return info.isDir() || info.isExecutable();
  }

 private:
  bool m_programsOnly = true;
};

}  // namespace

QtQuestions::QtQuestions(QWidget* owner, std::string programTitle)
    : m_owner(owner), m_programTitle(std::move(programTitle)) {}

int QtQuestions::ShowMessage(const std::string& text, const char* caption, int buttonSet) {
  const LongWork::QuestionOpen asking;
  return tf::ShowMessage(m_owner, text, caption, buttonSet, m_programTitle);
}

bool QtQuestions::ChooseFolder(const std::string& start, const std::string& prompt,
                               std::string* out) {
  ByteSafeFileDialog dialog(m_owner, prompt.empty() ? QString("Choose a folder") : QtText(prompt));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  if (!start.empty()) dialog.setDirectory(QtText(start));
  return runChooser(dialog, false, out);
}

bool QtQuestions::ChooseFileToOpen(const std::string& filterName, const std::string& filterPattern,
                                   const std::string& title, const std::string& initialFolder,
                                   std::string* out) {
  ByteSafeFileDialog dialog(m_owner, QtText(title));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setNameFilters(nameFilters(filterName, filterPattern));
  if (!initialFolder.empty()) dialog.setDirectory(QtText(initialFolder));
  return runChooser(dialog, false, out);
}

bool QtQuestions::ChooseFileToSave(const std::string& filterName, const std::string& filterPattern,
                                   const std::string& defaultExtension,
                                   const std::string& initialFolder, const std::string& title,
                                   bool overwritePrompt, std::string* inOut) {
  ByteSafeFileDialog dialog(m_owner, QtText(title));
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters(nameFilters(filterName, filterPattern));
  QString suffix = QtText(defaultExtension);
  if (suffix.startsWith('.')) suffix.remove(0, 1);
  if (!suffix.isEmpty()) dialog.setDefaultSuffix(suffix);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !overwritePrompt);
  if (!initialFolder.empty()) dialog.setDirectory(QtText(initialFolder));
  if (!inOut->empty()) dialog.selectFile(QtText(*inOut));
  return runChooser(dialog, true, inOut);
}

bool QtQuestions::ChooseProgram(const std::string& title, const std::string& initialFolder,
                                std::string* out) {
  ByteSafeFileDialog dialog(m_owner, QtText(title));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  // The filter by execute bit needs Qt's own dialog: a desktop's dialog takes no proxy.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  const QString programs = QStringLiteral("Programs (*)");
  dialog.setNameFilters({programs, QStringLiteral("All files (*)")});
  auto* proxy = new ProgramsProxy(&dialog);
  dialog.setProxyModel(proxy);
  QObject::connect(
      &dialog, &QFileDialog::filterSelected, proxy,
      [proxy, programs](const QString& filter) { proxy->setProgramsOnly(filter == programs); });
  if (!initialFolder.empty()) dialog.setDirectory(QtText(initialFolder));
  return runChooser(dialog, false, out);
}

}  // namespace tf
