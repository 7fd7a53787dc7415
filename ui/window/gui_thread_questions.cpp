#include "ui/window/gui_thread_questions.h"

#include <functional>

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace tf {

namespace {

// Runs `ask` on the application's thread and waits for it.
void onGuiThread(const std::function<void()>& ask) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || QThread::currentThread() == app->thread()) {
    ask();
    return;
  }
  QMetaObject::invokeMethod(app, ask, Qt::BlockingQueuedConnection);
}

}  // namespace

int GuiThreadQuestions::ShowMessage(const std::string& text, const char* caption, int buttonSet) {
  int answer = 0;
  onGuiThread([&] { answer = m_inner.ShowMessage(text, caption, buttonSet); });
  return answer;
}

bool GuiThreadQuestions::ChooseFolder(const std::string& start, const std::string& prompt,
                                      std::string* out) {
  bool chosen = false;
  onGuiThread([&] { chosen = m_inner.ChooseFolder(start, prompt, out); });
  return chosen;
}

bool GuiThreadQuestions::ChooseFileToOpen(const std::string& filterName,
                                          const std::string& filterPattern,
                                          const std::string& title,
                                          const std::string& initialFolder, std::string* out) {
  bool chosen = false;
  onGuiThread([&] {
    chosen = m_inner.ChooseFileToOpen(filterName, filterPattern, title, initialFolder, out);
  });
  return chosen;
}

bool GuiThreadQuestions::ChooseFileToSave(const std::string& filterName,
                                          const std::string& filterPattern,
                                          const std::string& defaultExtension,
                                          const std::string& initialFolder,
                                          const std::string& title, bool overwritePrompt,
                                          std::string* inOut) {
  bool chosen = false;
  onGuiThread([&] {
    chosen = m_inner.ChooseFileToSave(filterName, filterPattern, defaultExtension, initialFolder,
                                      title, overwritePrompt, inOut);
  });
  return chosen;
}

}  // namespace tf
