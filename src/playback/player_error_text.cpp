#include "playback/player_error_text.h"

#include <QRegularExpression>

#include <array>

namespace {
// Ordered from the most specific to the most generic; the first pattern that matches any line wins.
const std::array<QRegularExpression, 5>& cause_patterns() {
  static const std::array<QRegularExpression, 5> patterns = {
      // mpv: a playlist from the network named a local file or one of mpv's own protocols.
      QRegularExpression(QStringLiteral("(Refusing to load potentially unsafe URL from a playlist)")),
      // ffmpeg: "HTTP error 404 Not Found", "Server returned 403 Forbidden (access denied)"
      QRegularExpression(QStringLiteral("(HTTP error \\d{3}[^\\r\\n]*)")),
      QRegularExpression(QStringLiteral("Server returned (\\d{3}[^\\r\\n(]*)")),
      QRegularExpression(
          QStringLiteral("(Connection refused|Connection timed out|Connection reset by peer|"
                         "No route to host|Network is unreachable|Host is unreachable|"
                         "Name or service not known|Temporary failure in name resolution|"
                         "No address associated with hostname|Failed to resolve hostname[^\\r\\n]*|"
                         "Invalid data found when processing input|Protocol not found|"
                         "Permission denied|Operation timed out)"),
          QRegularExpression::CaseInsensitiveOption),
      // Generic "...failed: <cause>" as ffmpeg's network layers word it.
      QRegularExpression(QStringLiteral("failed: ([^\\r\\n]+)")),
  };
  return patterns;
}
}  // namespace

QString error_cause_from_log(const QStringList& log_lines) {
  for (const QRegularExpression& pattern : cause_patterns()) {
    // Newest line first: an earlier attempt may have failed differently.
    for (qsizetype i = log_lines.size() - 1; i >= 0; --i) {
      const QRegularExpressionMatch m = pattern.match(log_lines[i]);
      if (m.hasMatch()) {
        QString cause = m.captured(1).trimmed();
        if (pattern.pattern().startsWith(QLatin1String("Server returned")))
          cause = QStringLiteral("HTTP error ") + cause;
        return cause;
      }
    }
  }
  return {};
}

QString describe_player_error(const QString& cause, const QString& mpv_error) {
  if (cause.isEmpty()) return QStringLiteral("Cannot play this channel: %1.").arg(mpv_error);
  if (mpv_error.isEmpty()) return QStringLiteral("Cannot play this channel: %1.").arg(cause);
  return QStringLiteral("Cannot play this channel: %1 (%2).").arg(cause, mpv_error);
}
