#include "ui/preview/preview_image.h"

#include <QBuffer>
#include <QImageReader>

namespace tf {

QImage DecodePreviewImage(const std::string& bytes, QSize fitInto, QString* error) {
  QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setAutoTransform(true);
  const QSize size = reader.size();
  if (fitInto.isValid() && size.isValid() &&
      (size.width() > fitInto.width() || size.height() > fitInto.height()) &&
      reader.supportsOption(QImageIOHandler::ScaledSize))
    reader.setScaledSize(size.scaled(fitInto, Qt::KeepAspectRatio));
  // The reader checks the declared size against QImageReader::allocationLimit() before it
  // allocates, so a hostile header costs nothing.
  QImage image = reader.read();
  if (image.isNull() && error) {
    *error = size.isValid()
                 ? QStringLiteral("The picture (%1 x %2 pixels) cannot be shown: %3")
                       .arg(size.width())
                       .arg(size.height())
                       .arg(reader.errorString())
                 : QStringLiteral("The picture cannot be shown: %1").arg(reader.errorString());
  }
  return image;
}

}  // namespace tf
