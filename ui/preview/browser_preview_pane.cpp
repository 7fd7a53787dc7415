#include "ui/preview/browser_preview_pane.h"

#include <algorithm>

#include <QTextBrowser>
#include <QUrl>

#include "platform/path_utils.h"
#include "platform/stored_file.h"
#include "results/bitmap_preview.h"
#include "results/preview_kind.h"
#include "results/preview_text.h"
#include "ui/preview/preview_image.h"
#include "ui/qt_text.h"
#include "ui/window/library_fonts.h"

namespace tf {
namespace {

constexpr size_t kStyleSheetBytes = 256 * 1024;
// Pictures inside a page are decoded no larger than this.
const QSize kPagePictureBox(2048, 2048);
const QUrl kPictureUrl(QStringLiteral("twinfold-preview:picture"));
// The document's own margin around a picture, on both sides.
constexpr int kPictureMargin = 12;

}  // namespace

// Resources of a page come from its folder (or below) and nowhere else.
class BrowserPreviewPane::Browser : public QTextBrowser {
 public:
  explicit Browser(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setReadOnly(true);
  }
  // The folder's bytes as the file system has them: a name that is not UTF-8 would not
  // come back the same from a QString.
  void SetFolder(std::string folder) { m_folder = std::move(folder); }
  void SetPicture(const QImage& picture) { m_picture = picture; }

  QVariant loadResource(int type, const QUrl& url) override {
    if (url == kPictureUrl) return m_picture.isNull() ? QVariant() : QVariant(m_picture);
    if (m_folder.empty()) return {};
    if (!url.isRelative() && !url.isLocalFile()) return {};  // no network, no other schemes
    // The page's own bytes for the name, percent escapes and all.
    const QByteArray named =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    const std::string asked(named.constData(), static_cast<size_t>(named.size()));
    const std::string path = LexicallyNormal(url.isRelative() ? m_folder + '/' + asked : asked);
    const std::string inside = m_folder == "/" ? m_folder : m_folder + '/';
    if (path.size() <= inside.size() || path.compare(0, inside.size(), inside) != 0) return {};
    std::string bytes;
    if (type == QTextDocument::ImageResource) {
      if (!ReadFileHead(path, kPicturePreviewBytes, &bytes)) return {};
      QImage image = DecodePreviewImage(bytes, kPagePictureBox, nullptr);
      return image.isNull() ? QVariant() : QVariant(image);
    }
    if (type == QTextDocument::StyleSheetResource) {
      if (!ReadFileHead(path, kStyleSheetBytes, &bytes)) return {};
      return QtText(DecodePreviewText(bytes, false).utf8);
    }
    return {};
  }

 private:
  std::string m_folder;
  QImage m_picture;
};

BrowserPreviewPane::BrowserPreviewPane(QWidget* parent)
    : PreviewPane({QStringLiteral("Last modified:")}, parent) {
  m_browser = new Browser(this);
  m_browser->setObjectName(QStringLiteral("PreviewBrowser"));
  setContent(m_browser);
}

QTextBrowser* BrowserPreviewPane::browser() const {
  return m_browser;
}

void BrowserPreviewPane::Open(const std::string& path) {
  clearContent();
  setMessage(QString());
  fillNameAndTime(path);
  std::string folder;
  SplitPath(path, &folder, nullptr);
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  m_browser->SetFolder(std::move(folder));
  if (m_kind == kPreviewWebImage)
    openPicture(path);
  else
    openText(path, m_kind == kPreviewXml);
}

void BrowserPreviewPane::openText(const std::string& path, bool xml) {
  std::string bytes;
  int64_t size = 0;
  if (!ReadFileHead(path, kPagePreviewBytes, &bytes, &size)) {
    setMessage(QStringLiteral("The file cannot be read."));
    return;
  }
  const PreviewText text = DecodePreviewText(bytes, size > static_cast<int64_t>(bytes.size()));
  if (text.encoding == TextEncoding::kBinary) {
    setMessage(xml ? QStringLiteral("This file holds binary data, not XML; it is not shown.")
                   : QStringLiteral("This file holds binary data, not a page; it is not shown."));
    return;
  }
  if (!xml) {
    m_browser->setHtml(QtText(text.utf8));
    return;
  }
  // The document's own markup is what a reader wants to see.
  m_browser->setFont(LibraryFont(kFixedPitchFont));
  m_browser->setPlainText(QtText(text.utf8));
}

void BrowserPreviewPane::openPicture(const std::string& path) {
  std::string bytes;
  if (!ReadFileHead(path, kPicturePreviewBytes, &bytes)) {
    setMessage(QStringLiteral("The file cannot be read."));
    return;
  }
  QString error;
  // Decoded no larger than the screen area the pane can ever have.
  const QImage image = DecodePreviewImage(bytes, QSize(4096, 4096), &error);
  if (image.isNull()) {
    setMessage(error);
    return;
  }
  m_browser->SetPicture(image);
  // A photograph larger than the pane is shown whole, scaled down to fit it.
  const QSize room = m_browser->viewport()->size() - QSize(kPictureMargin, kPictureMargin);
  const DrawSize drawn = ScaledBitmapSize(image.width(), image.height(), std::max(room.width(), 1),
                                          std::max(room.height(), 1));
  m_browser->setHtml(QStringLiteral("<img src=\"%1\" width=\"%2\" height=\"%3\">")
                         .arg(kPictureUrl.toString())
                         .arg(drawn.width)
                         .arg(drawn.height));
}

void BrowserPreviewPane::clearContent() {
  m_browser->clear();
  m_browser->document()->clear();
  m_browser->setFont(font());
  m_browser->SetFolder(std::string());
  m_browser->SetPicture(QImage());
}

void BrowserPreviewPane::Close() {
  clearContent();
  PreviewPane::Close();
}

}  // namespace tf
