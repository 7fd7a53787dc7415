// BrowserPreviewPane: HTML pages, XML files and web pictures, shown by a text browser that
// never goes on the network, never follows a link by itself, and reads the pictures and
// style sheets of a page only from the page's own folder.
#pragma once

#include "ui/preview/preview_pane.h"

class QTextBrowser;

namespace tf {

// The most of a page the browser reads; longer pages are shown up to there.
constexpr size_t kPagePreviewBytes = 512 * 1024;

class BrowserPreviewPane : public PreviewPane {
  Q_OBJECT

 public:
  explicit BrowserPreviewPane(QWidget* parent);

  // `kind`: kPreviewHtml, kPreviewXml or kPreviewWebImage.
  void SetKind(int kind) { m_kind = kind; }
  void Open(const std::string& path) override;
  void Close() override;

  QTextBrowser* browser() const;

 private:
  // Empties the browser and forgets the page's folder and picture.
  void clearContent();
  // A page rendered, or an XML document's own markup (`xml`).
  void openText(const std::string& path, bool xml);
  void openPicture(const std::string& path);

  class Browser;
  Browser* m_browser;
  int m_kind = 0;
};

}  // namespace tf
