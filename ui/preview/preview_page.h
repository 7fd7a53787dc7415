// PreviewPage: the "Preview" page of the search column: the "Show Preview" check box over
// the preview area, which shows the file selected in the result lists while the box is
// ticked and the page is on show.
#pragma once

#include <memory>
#include <string>

#include <QWidget>

class QCheckBox;
class QTimer;

namespace tf {

class PreviewManager;
class ZipPlugin;

class PreviewPage : public QWidget {
  Q_OBJECT

 public:
  explicit PreviewPage(QWidget* parent = nullptr);
  ~PreviewPage() override;

  // Lets ".zip" files be previewed through the plug-in (see PreviewManager::AttachZip).
  void AttachZip(ZipPlugin* plugin);
  // The file selected in the result lists (empty: none). The preview follows shortly, so
  // that moving quickly through a list loads only the file it stops at.
  void SetFile(const std::string& path);
  // The page's tab became active or inactive; an inactive page shows nothing.
  void SetActive(bool active);
  // Closes the open pane and opens the one for the current file when the box is ticked,
  // the page is active and the file is an existing file of a kind with a preview.
  void Refresh();

  QCheckBox* showBox() const { return m_show; }
  QWidget* area() const { return m_area; }
  PreviewManager* manager() const { return m_manager.get(); }
  const std::string& file() const { return m_path; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void placeArea();

  QCheckBox* m_show;
  QWidget* m_area;
  QTimer* m_delay;
  std::unique_ptr<PreviewManager> m_manager;
  std::string m_path;
  bool m_active = false;
};

}  // namespace tf
