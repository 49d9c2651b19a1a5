// Feeds arbitrary bytes to the decoding of a fetched logo, as a server could send them. Besides
// crashes it stops on a broken promise: a picture shown larger than what is kept of a logo, or
// one shown from bytes past the size cap.
#include "services/logo_image.h"

#include <QByteArray>
#include <QImage>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
  const QImage image = decode_logo(input);
  if (image.isNull()) return 0;
  if (image.width() > kKeptLogoSize.width() || image.height() > kKeptLogoSize.height()) __builtin_trap();
  if (input.size() > kMaxLogoBytes) __builtin_trap();
  return 0;
}
