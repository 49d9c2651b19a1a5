#include "services/stream_address.h"

#include <QStringList>

namespace {
std::optional<QUrl> stream_address(const QString& trimmed_url, QUrl::ParsingMode mode) {
  static const QStringList schemes = {
      QStringLiteral("http"),  QStringLiteral("https"), QStringLiteral("mms"),   QStringLiteral("mmsh"),
      QStringLiteral("mmst"),  QStringLiteral("rtsp"),  QStringLiteral("rtsps"), QStringLiteral("rtmp"),
      QStringLiteral("rtmps"),
  };
  const QUrl url(trimmed_url, mode);
  if (!url.isValid() || url.host().isEmpty()) return std::nullopt;
  if (!schemes.contains(url.scheme().toLower())) return std::nullopt;
  return url;
}
}  // namespace

std::optional<QUrl> testable_stream_address(const QString& trimmed_url) {
  return stream_address(trimmed_url, QUrl::StrictMode);
}

bool is_playable_stream_address(const QString& trimmed_url) {
  for (const QChar c : trimmed_url)
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) return false;
  return stream_address(trimmed_url, QUrl::TolerantMode).has_value();
}
