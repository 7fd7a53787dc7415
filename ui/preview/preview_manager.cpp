#include "ui/preview/preview_manager.h"

#include <QWidget>

#include "platform/zip_plugin.h"
#include "results/preview_kind.h"
#include "ui/preview/bitmap_preview_pane.h"
#include "ui/preview/browser_preview_pane.h"
#include "ui/preview/text_preview_pane.h"
#include "ui/preview/zip_preview_pane.h"

namespace tf {

PreviewManager::PreviewManager(QWidget* area)
    : m_area(area),
      m_text(new TextPreviewPane(area)),
      m_browser(new BrowserPreviewPane(area)),
      m_bitmap(new BitmapPreviewPane(area)) {
  m_text->hide();
  m_browser->hide();
  m_bitmap->hide();
}

PreviewManager::~PreviewManager() {
  // The panes are the area's children; they are touched only while it lives. The zip
  // pane goes before its plug-in object does.
  if (m_area) {
    Close();
    delete m_zipPane;
  }
  if (m_plugin && m_zip) m_plugin->ReleaseZipInterface(m_zip);
}

void PreviewManager::AttachZip(ZipPlugin* plugin) {
  if (m_zipPane || !plugin || !m_area) return;
  m_zip = plugin->AcquireZipInterface();
  if (!m_zip) return;
  m_plugin = plugin;
  m_zipPane = new ZipPreviewPane(m_zip, m_area);
  m_zipPane->hide();
}

int PreviewManager::Show(const std::string& path) {
  Close();
  const int kind = PreviewKind(path, m_zipPane != nullptr);
  switch (kind) {
    case kPreviewText:
    case kPreviewSource:
      m_text->SetFixedPitch(kind == kPreviewSource);
      m_open = m_text;
      break;
    case kPreviewHtml:
    case kPreviewXml:
    case kPreviewWebImage:
      m_browser->SetKind(kind);
      m_open = m_browser;
      break;
    case kPreviewBitmap:
      m_open = m_bitmap;
      break;
    case kPreviewZip:
      m_open = m_zipPane;
      break;
    default:
      return 0;
  }
  FitToArea();
  m_open->show();
  m_open->Open(path);
  return kind;
}

void PreviewManager::Close() {
  if (m_open) m_open->Close();
  m_open = nullptr;
}

void PreviewManager::FitToArea() {
  if (m_open && m_area) m_open->setGeometry(m_area->rect());
}

}  // namespace tf
