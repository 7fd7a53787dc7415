#include "ui/preview/preview_page.h"

#include <algorithm>

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "ui/preview/preview_manager.h"

namespace tf {
namespace {

constexpr int kMinimumPageHeight = 450;
constexpr int kBottomGap = 4;
constexpr int kRightGap = 26;
constexpr int kMinimumArea = 200;
constexpr int kLeft = 8;
// Long enough to pass over the rows a held arrow key runs through, short enough not to
// be noticed when the selection stops.
constexpr int kFollowDelayMs = 60;

}  // namespace

PreviewPage::PreviewPage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("PreviewPage"));
  setMinimumHeight(kMinimumPageHeight);
  setAcceptDrops(true);
  m_show = new QCheckBox(QStringLiteral("Show Preview"), this);
  m_show->setToolTip(QStringLiteral("Show preview of the selected file"));
  m_show->move(kLeft, kLeft);
  m_show->adjustSize();
  m_area = new QWidget(this);
  m_area->setObjectName(QStringLiteral("PreviewArea"));
  m_area->hide();
  m_manager = std::make_unique<PreviewManager>(m_area);
  m_delay = new QTimer(this);
  m_delay->setSingleShot(true);
  m_delay->setInterval(kFollowDelayMs);
  connect(m_delay, &QTimer::timeout, this, &PreviewPage::Refresh);
  connect(m_show, &QCheckBox::toggled, this, [this](bool on) {
    m_delay->stop();
    m_area->setVisible(on);
    if (on)
      Refresh();
    else
      m_manager->Close();
  });
  placeArea();
}

PreviewPage::~PreviewPage() {
  m_manager.reset();  // while the panes, children of the area, still exist
}

void PreviewPage::AttachZip(ZipPlugin* plugin) {
  m_manager->AttachZip(plugin);
}

void PreviewPage::SetFile(const std::string& path) {
  if (path == m_path) return;
  m_path = path;
  // Nothing is shown or loaded while the page cannot show it.
  if (m_show->isChecked() && m_active) m_delay->start();
}

void PreviewPage::SetActive(bool active) {
  m_active = active;
  m_delay->stop();
  Refresh();
}

void PreviewPage::Refresh() {
  m_delay->stop();
  m_manager->Close();
  if (!m_show->isChecked() || !m_active || m_path.empty()) return;
  m_manager->Show(m_path);
}

void PreviewPage::placeArea() {
  const int top = m_show->geometry().bottom() + kLeft;
  const int width = std::max(kMinimumArea, this->width() - kRightGap - kLeft);
  const int height = std::max(kMinimumArea, this->height() - kBottomGap - top);
  m_area->setGeometry(kLeft, top, width, height);
  m_manager->FitToArea();
}

void PreviewPage::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  placeArea();
}

void PreviewPage::dragEnterEvent(QDragEnterEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (!urls.isEmpty() && urls.first().isLocalFile()) event->acceptProposedAction();
}

void PreviewPage::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.isEmpty() || !urls.first().isLocalFile()) return;
  // A dropped file is previewed like a selected one.
  // The URL carries the name's own bytes, percent-encoded, also where they are not UTF-8.
  const QByteArray bytes =
      QByteArray::fromPercentEncoding(urls.first().path(QUrl::FullyEncoded).toLatin1());
  m_path.assign(bytes.constData(), static_cast<size_t>(bytes.size()));
  event->acceptProposedAction();
  if (!m_show->isChecked()) m_show->setChecked(true);
  Refresh();
}

}  // namespace tf
