#include "ui/shell/help_viewer.h"

#include <QDir>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/path_utils.h"
#include "results/preview_kind.h"
#include "ui/preview/browser_preview_pane.h"
#include "ui/qt_text.h"

namespace tf {

HelpViewer::HelpViewer(const std::string& index, QWidget* parent)
    : QDialog(parent), m_pane(new BrowserPreviewPane(this)) {
  setObjectName(QStringLiteral("HelpViewer"));
  setWindowTitle(QStringLiteral("Twinfold help"));
  setAttribute(Qt::WA_DeleteOnClose);
  SplitPath(index, &m_folder, nullptr);
  m_pane->SetKind(kPreviewHtml);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_pane);
  // Pages of the manual link to each other; anything else stays unopened.
  connect(m_pane->browser(), &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
    if (!url.isRelative()) return;
    const QString page = url.path();
    if (page.isEmpty()) {
      m_pane->browser()->scrollToAnchor(url.fragment());
      return;
    }
    const QString wanted = QDir::cleanPath(QtText(m_folder) + page);
    if (!wanted.startsWith(QtText(m_folder))) return;
    openPage(wanted.toStdString(), url.fragment());
  });
  resize(720, 600);
  openPage(index, QString());
}

void HelpViewer::openPage(const std::string& path, const QString& anchor) {
  m_page = path;
  m_pane->Open(path);
  if (!anchor.isEmpty()) m_pane->browser()->scrollToAnchor(anchor);
}

}  // namespace tf
