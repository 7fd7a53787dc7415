// ProgressFileShell: the window program's file shell. Moves, copies and trashing run as
// long work (off the window's thread, a progress dialog with "Cancel" after half a
// second); a batch makes the files of one command share one dialog and one Cancel.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QPointer>
#include <QString>
#include <QWidget>

#include "platform/file_ops.h"
#include "results/file_actions.h"

namespace tf {

class LongWork;

class ProgressFileShell : public PlatformFileShell {
 public:
  // `questions` is asked from the worker thread: it must be able to answer there (see
  // GuiThreadQuestions). Progress dialogs open over `parent` (may be null).
  explicit ProgressFileShell(Questions& questions, QWidget* parent = nullptr);
  ~ProgressFileShell() override;

  bool Trash(const std::string& path, bool confirm) override;
  bool MoveOrCopy(bool move, const std::string& from, const std::string& to) override;

  void SetParent(QWidget* parent) { m_parent = parent; }
  // Until EndBatch the calls share one progress dialog counting `files` steps; after a
  // Cancel they do nothing and fail.
  void BeginBatch(const QString& label, int files);
  void EndBatch();

 private:
  bool run(const QString& label, const std::function<bool(const CopyProgress&)>& job);

  Questions& m_questions;
  QPointer<QWidget> m_parent;
  std::unique_ptr<LongWork> m_batch;
};

}  // namespace tf
