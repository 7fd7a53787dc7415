// HelpViewer: the manual shown in a window of the program's own, for a desktop where no
// browser takes it; the preview's browser pane renders the pages, which never reach out.
#pragma once

#include <string>

#include <QDialog>

namespace tf {

class BrowserPreviewPane;

class HelpViewer : public QDialog {
  Q_OBJECT

 public:
  // Shows the page `index`; links to other pages of its folder are followed.
  HelpViewer(const std::string& index, QWidget* parent);
  BrowserPreviewPane* pane() const { return m_pane; }
  // The page shown.
  const std::string& page() const { return m_page; }

 private:
  void openPage(const std::string& path, const QString& anchor);

  BrowserPreviewPane* m_pane;
  std::string m_folder;
  std::string m_page;
};

}  // namespace tf
