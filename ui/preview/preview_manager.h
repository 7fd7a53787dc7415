// PreviewManager: owns one pane of each preview kind and shows at most one of them, the
// one for the kind of the file asked for, over the whole preview area.
#pragma once

#include <string>

#include <QObject>
#include <QPointer>

class QWidget;

namespace tf {

class BitmapPreviewPane;
class BrowserPreviewPane;
class PreviewPane;
class TextPreviewPane;
class ZipPlugin;
class ZipPreviewPane;
class ZipFileInterface;

class PreviewManager {
 public:
  // The panes are made as children of `area`, hidden.
  explicit PreviewManager(QWidget* area);
  ~PreviewManager();
  PreviewManager(const PreviewManager&) = delete;
  PreviewManager& operator=(const PreviewManager&) = delete;

  // Makes the zip pane over an object acquired from `plugin`; without a plug-in, or when
  // it gives no object, there is no zip pane and zip archives have no preview. The
  // object is given back when the manager goes, so the plug-in must outlive it.
  void AttachZip(ZipPlugin* plugin);
  bool HasZipPane() const { return m_zipPane != nullptr; }

  // Closes every pane, then opens the one of the path's kind over the whole area. The
  // kind of the shown pane, 0 when none.
  int Show(const std::string& path);
  void Close();
  // Keeps the open pane over the whole area after the area was resized.
  void FitToArea();

  PreviewPane* openPane() const { return m_open; }
  TextPreviewPane* textPane() const { return m_text; }
  BrowserPreviewPane* browserPane() const { return m_browser; }
  BitmapPreviewPane* bitmapPane() const { return m_bitmap; }
  ZipPreviewPane* zipPane() const { return m_zipPane; }

 private:
  QPointer<QWidget> m_area;
  TextPreviewPane* m_text;
  BrowserPreviewPane* m_browser;
  BitmapPreviewPane* m_bitmap;
  ZipPreviewPane* m_zipPane = nullptr;
  ZipPlugin* m_plugin = nullptr;
  ZipFileInterface* m_zip = nullptr;
  PreviewPane* m_open = nullptr;
};

}  // namespace tf
