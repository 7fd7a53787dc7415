// Decoding a picture for the preview from bytes already read, within Qt's image allocation
// limit, so that a file declaring an enormous size is refused before anything is allocated.
#pragma once

#include <string>

#include <QImage>
#include <QSize>

namespace tf {

// The most of a picture file the preview reads.
constexpr size_t kPicturePreviewBytes = 64u << 20;

// Decodes `bytes`. When the format can decode at a smaller size and the picture is larger
// than `fitInto` (when valid), it is decoded scaled down into that box, which keeps the
// aspect ratio. A null image with a reason in *error when it cannot be decoded.
QImage DecodePreviewImage(const std::string& bytes, QSize fitInto, QString* error);

}  // namespace tf
