#include "services/logo_image.h"

#include <QBuffer>
#include <QImageReader>

#include <mutex>

namespace {
// The kind of picture by its first bytes, as Qt's readers name it; empty for any other. Only kinds
// a logo comes in that Qt decodes on its own: vector pictures stay out, drawing one is a program of
// the server's making with no size known beforehand.
QByteArray logo_format(const QByteArray& bytes) {
  if (bytes.startsWith("\x89PNG\r\n\x1a\n")) return "png";
  if (bytes.startsWith("\xff\xd8\xff")) return "jpeg";
  if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a")) return "gif";
  if (bytes.startsWith("BM")) return "bmp";
  if (bytes.startsWith(QByteArray("\0\0\1\0", 4))) return "ico";
  return {};
}

// Qt's own bound on what one decoded picture may allocate, for every reader of the process: the
// program's pictures are a few kilobytes each, and a logo within kMaxLogoSide needs 16 MB. The
// bound backs up the size checked below where a decoder allocates more than its header said.
void limit_image_allocations() {
  static std::once_flag once;
  std::call_once(once, [] { QImageReader::setAllocationLimit(32); });
}
}  // namespace

QImage decode_logo(const QByteArray& bytes) {
  if (bytes.size() > kMaxLogoBytes) return {};
  const QByteArray format = logo_format(bytes);
  if (format.isEmpty()) return {};
  limit_image_allocations();
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, format);
  const QSize size = reader.size();
  if (!size.isValid() || size.isEmpty() || size.width() > kMaxLogoSide || size.height() > kMaxLogoSide) return {};
  QImage image;
  if (!reader.read(&image) || image.isNull()) return {};
  // A decoder that gave more than its header announced is not trusted either.
  if (image.width() > kMaxLogoSide || image.height() > kMaxLogoSide) return {};
  if (image.width() > kKeptLogoSize.width() || image.height() > kKeptLogoSize.height())
    image = image.scaled(kKeptLogoSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}
