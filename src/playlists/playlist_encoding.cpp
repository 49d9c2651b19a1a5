#include "playlists/playlist_encoding.h"

#include "catalogue/code_page.h"

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

#include <string_view>

namespace {
std::string from_utf16(std::string_view bytes, QStringDecoder::Encoding encoding) {
  QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
  const QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  return text.toUtf8().toStdString();
}
}  // namespace

std::string playlist_utf8(std::string bytes) {
  const std::string_view view(bytes);
  if (view.starts_with("\xFF\xFE")) return from_utf16(view.substr(2), QStringDecoder::Utf16LE);
  if (view.starts_with("\xFE\xFF")) return from_utf16(view.substr(2), QStringDecoder::Utf16BE);
  if (view.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
  if (QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())).isValidUtf8()) return bytes;
  return cp1252_to_utf8(bytes);
}
