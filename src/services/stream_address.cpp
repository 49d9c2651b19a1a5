#include "services/stream_address.h"

#include <QStringList>

std::optional<QUrl> testable_stream_address(const QString& trimmed_url) {
  static const QStringList schemes = {
      QStringLiteral("http"),  QStringLiteral("https"), QStringLiteral("mms"),   QStringLiteral("mmsh"),
      QStringLiteral("mmst"),  QStringLiteral("rtsp"),  QStringLiteral("rtsps"), QStringLiteral("rtmp"),
      QStringLiteral("rtmps"),
  };
  const QUrl url(trimmed_url, QUrl::StrictMode);
  if (!url.isValid() || url.host().isEmpty()) return std::nullopt;
  if (!schemes.contains(url.scheme().toLower())) return std::nullopt;
  return url;
}
