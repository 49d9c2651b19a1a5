#include "playlists/import_summary.h"

QString import_summary(const QString& name, size_t channels, size_t skipped, const std::vector<SkippedLine>& examples) {
  QString text = QStringLiteral("Playlist \"%1\": %2 %3 added.")
                     .arg(name)
                     .arg(channels)
                     .arg(channels == 1 ? QStringLiteral("channel") : QStringLiteral("channels"));
  if (skipped == 0) return text;
  text += QStringLiteral("\n%1 %2 could not be used")
              .arg(skipped)
              .arg(skipped == 1 ? QStringLiteral("line") : QStringLiteral("lines"));
  text += examples.empty() ? QStringLiteral(".") : QStringLiteral(":");
  for (const SkippedLine& s : examples)
    text += QStringLiteral("\n  line %1: %2").arg(s.line).arg(QString::fromUtf8(s.reason.data(), static_cast<qsizetype>(s.reason.size())));
  if (examples.size() < skipped) text += QStringLiteral("\n  ...");
  return text;
}
