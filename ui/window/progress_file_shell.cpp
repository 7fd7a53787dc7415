#include "ui/window/progress_file_shell.h"

#include "platform/file_ops.h"
#include "ui/qt_text.h"
#include "ui/window/long_work.h"

namespace tf {

ProgressFileShell::ProgressFileShell(Questions& questions, QWidget* parent)
    : PlatformFileShell(questions), m_questions(questions), m_parent(parent) {}

ProgressFileShell::~ProgressFileShell() = default;

void ProgressFileShell::BeginBatch(const QString& label, int files) {
  m_batch = std::make_unique<LongWork>(m_parent, label, files);
}

void ProgressFileShell::EndBatch() {
  m_batch.reset();
}

bool ProgressFileShell::run(const QString& label,
                            const std::function<bool(const CopyProgress&)>& job) {
  if (!m_batch) return LongWork::RunOnce(m_parent, label, job);
  const bool done = m_batch->Run(job);
  m_batch->StepDone();
  return done;
}

bool ProgressFileShell::Trash(const std::string& path, bool confirm) {
  // Written by the work and read once it is over: the run has ended by then.
  std::string why;
  const bool done = run(QStringLiteral("Moving files to the trash..."), [&](const CopyProgress&) {
    return ShellDelete(&m_questions, path, std::string(), confirm, &why);
  });
  m_failure = done ? std::string() : why;
  return done;
}

bool ProgressFileShell::MoveOrCopy(bool move, const std::string& from, const std::string& to) {
  const std::string name = from.substr(from.rfind('/') + 1);
  const QString label =
      (move ? QStringLiteral("Moving %1...") : QStringLiteral("Copying %1...")).arg(QtText(name));
  std::string why;
  const bool done = run(label, [&](const CopyProgress& progress) {
    return ShellFileOp(&m_questions, move ? FO_MOVE : FO_COPY, from, to, true, progress, &why);
  });
  m_failure = done ? std::string() : why;
  return done;
}

}  // namespace tf
