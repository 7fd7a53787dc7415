#include "ui/preview/bitmap_preview_pane.h"

#include <QPainter>

#include "platform/stored_file.h"
#include "results/bitmap_preview.h"
#include "ui/preview/preview_image.h"

namespace tf {

class BitmapPreviewPane::Area : public QWidget {
 public:
  explicit Area(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("BitmapArea"));
    setMinimumSize(16, 16);
  }
  void SetPicture(QImage picture, QSize declared) {
    m_picture = std::move(picture);
    m_declared = declared;
    update();
  }
  QRect DrawnRect() const {
    if (m_picture.isNull()) return {};
    const DrawSize size =
        ScaledBitmapSize(m_declared.width(), m_declared.height(), width(), height());
    return QRect(0, 0, static_cast<int>(size.width), static_cast<int>(size.height));
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (m_picture.isNull()) return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(DrawnRect(), m_picture);
  }

 private:
  QImage m_picture;
  QSize m_declared;  // the picture's own size (the decoded one may be smaller)
};

BitmapPreviewPane::BitmapPreviewPane(QWidget* parent)
    : PreviewPane({QStringLiteral("Last modified:"), QStringLiteral("Color info:")}, parent) {
  m_area = new Area(this);
  setContent(m_area);
}

void BitmapPreviewPane::Open(const std::string& path) {
  m_area->SetPicture(QImage(), QSize());
  setMessage(QString());
  fillNameAndTime(path);
  std::string bytes;
  if (!ReadFileHead(path, kPicturePreviewBytes, &bytes)) {
    setMessage(QStringLiteral("The file cannot be read."));
    return;
  }
  BitmapHeader header;
  if (!ReadBitmapHeader(bytes, &header)) {
    setCaption(2, QString());
    setMessage(QStringLiteral("This file is not a bitmap picture."));
    return;
  }
  setCaption(
      2,
      QStringLiteral("%1x%2 %3")
          .arg(header.width)
          .arg(header.height)
          .arg(QString::fromStdString(BitmapDepthName(header.bitsPerPixel, header.blackAndWhite))));
  QString error;
  QImage picture = DecodePreviewImage(bytes, QSize(), &error);
  if (picture.isNull()) {
    setMessage(error);
    return;
  }
  m_area->SetPicture(std::move(picture),
                     QSize(static_cast<int>(header.width), static_cast<int>(header.height)));
}

void BitmapPreviewPane::Close() {
  m_area->SetPicture(QImage(), QSize());
  PreviewPane::Close();
}

QWidget* BitmapPreviewPane::drawingArea() const {
  return m_area;
}

QRect BitmapPreviewPane::drawnRect() const {
  return m_area->DrawnRect();
}

}  // namespace tf
