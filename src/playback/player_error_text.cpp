#include "playback/player_error_text.h"

#include <mpv/client.h>

#include <QRegularExpression>

#include <algorithm>
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

namespace {
// mpv found no decoder at all for a format it knows the name of. When one is installed but fails
// on the stream's data, mpv first says "Decoder init failed for ..." instead.
QString missing_decoder(const QStringList& log_lines) {
  static const QRegularExpression failed(QStringLiteral("Failed to initialize a decoder for codec '([^']+)'"));
  QString codec;
  for (const QString& line : log_lines) {
    if (line.contains(QLatin1String("Decoder init failed"))) return {};
    if (const QRegularExpressionMatch m = failed.match(line); m.hasMatch() && m.captured(1) != QLatin1String("<?>"))
      codec = m.captured(1);
  }
  return codec;
}
}  // namespace

QString local_failure_cause(int mpv_error, const QStringList& log_lines) {
  // mpv does not always end with the output's own error code: a video output that cannot start
  // ends the load with "something happened" or "nothing to play", so its log line decides.
  const auto logged = [&](const char* words) {
    return std::any_of(log_lines.begin(), log_lines.end(),
                       [&](const QString& line) { return line.contains(QLatin1String(words)); });
  };
  if (mpv_error == MPV_ERROR_AO_INIT_FAILED || logged("Could not open/initialize audio device"))
    return QStringLiteral("no sound device could be opened");
  if (mpv_error == MPV_ERROR_VO_INIT_FAILED || logged("Error opening/initializing the selected video_out"))
    return QStringLiteral("the video output could not be started");
  if (mpv_error == MPV_ERROR_NOTHING_TO_PLAY) {
    if (const QString codec = missing_decoder(log_lines); !codec.isEmpty())
      return QStringLiteral("no decoder for the format %1 is installed").arg(codec);
  }
  return {};
}

PlayerError player_failure(int mpv_error, const QStringList& log_lines) {
  const QString mpv_text = QString::fromUtf8(mpv_error_string(mpv_error));
  if (const QString local = local_failure_cause(mpv_error, log_lines); !local.isEmpty()) {
    PlayerError error{mpv_error, QStringLiteral("Cannot play this channel on this computer: %1 (%2).").arg(local, mpv_text)};
    error.local_failure = true;
    return error;
  }
  return PlayerError{mpv_error, describe_player_error(error_cause_from_log(log_lines), mpv_text)};
}

QString no_sound_device_message() {
  return QStringLiteral("No sound device is available on this computer, so this channel cannot be heard.");
}
