// BitmapPreviewPane: a ".bmp" picture with its size and colour depth, drawn on white at
// the top left, at its own size when it fits and scaled into the area when it does not.
#pragma once

#include <QImage>

#include "ui/preview/preview_pane.h"

namespace tf {

class BitmapPreviewPane : public PreviewPane {
  Q_OBJECT

 public:
  explicit BitmapPreviewPane(QWidget* parent);

  void Open(const std::string& path) override;
  void Close() override;

  // The rectangle the picture is drawn in, in the drawing area's coordinates (empty when
  // there is no picture).
  QRect drawnRect() const;
  QWidget* drawingArea() const;

 private:
  class Area;
  Area* m_area;
};

}  // namespace tf
