#include "playback/recording.h"

#include <QStandardPaths>

QString recording_folder(bool video) {
  return QStandardPaths::writableLocation(video ? QStandardPaths::MoviesLocation : QStandardPaths::MusicLocation);
}

QString recording_file_name(const QString& channel_name, const QDateTime& at, const QString& extension) {
  // A file system holds names of at most 255 bytes. The channel's part gets what the date, a
  // number for a second recording in the same second (" (99)") and the extension leave, and is cut
  // between characters: 80 Thai or Chinese characters are 240 bytes.
  constexpr qsizetype kFileNameBytes = 255;
  const QString date = at.toString(QStringLiteral("yyyy-MM-dd HH.mm.ss"));
  const qsizetype budget = kFileNameBytes - (1 + date.toUtf8().size()) - qsizetype{sizeof " (99)" - 1} -
                           (1 + extension.toUtf8().size());
  static const QString kReserved = QStringLiteral("/\\:*?\"<>|");
  QString name;
  qsizetype bytes = 0;
  for (qsizetype i = 0; i < channel_name.size(); ++i) {
    const QChar c = channel_name[i];
    if (c.isSpace()) {
      if (bytes + 1 > budget) break;
      name += QLatin1Char(' ');
      ++bytes;
      continue;
    }
    // Characters beyond the basic plane come as two halves: kept whole (an emoji is a fine name),
    // a half without its other is dropped.
    const bool pair = c.isHighSurrogate() && i + 1 < channel_name.size() && channel_name[i + 1].isLowSurrogate();
    if (c.isSurrogate() && !pair) continue;
    const char32_t code = pair ? QChar::surrogateToUcs4(c, channel_name[i + 1]) : c.unicode();
    const auto category = QChar::category(code);
    i += pair ? 1 : 0;
    if (category == QChar::Other_Control || category == QChar::Other_Format) continue;
    const qsizetype length = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    if (bytes + length > budget) break;
    bytes += length;
    if (pair) {
      name += QString::fromUcs4(&code, 1);
    } else {
      name += kReserved.contains(c) ? QLatin1Char('_') : c;
    }
  }
  name = name.simplified();
  // A leading dot would hide the file; trailing dots and spaces are dropped by some file systems.
  while (name.startsWith(QLatin1Char('.')) || name.startsWith(QLatin1Char(' '))) name.remove(0, 1);
  while (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' '))) name.chop(1);
  if (name.isEmpty()) name = QStringLiteral("Recording");
  return name + QLatin1Char(' ') + date + QLatin1Char('.') + extension;
}

QString numbered_file_name(const QString& file_name, int number) {
  const qsizetype dot = file_name.lastIndexOf(QLatin1Char('.'));
  const QString stem = dot < 0 ? file_name : file_name.left(dot);
  const QString extension = dot < 0 ? QString() : file_name.mid(dot);
  return stem + QStringLiteral(" (%1)").arg(number) + extension;
}

QString recording_extension(bool video, const QString& audio_codec) {
  if (video) return QStringLiteral("mkv");
  const QString codec = audio_codec.toLower();
  if (codec == QLatin1String("mp3")) return QStringLiteral("mp3");
  if (codec == QLatin1String("aac")) return QStringLiteral("aac");
  if (codec == QLatin1String("opus")) return QStringLiteral("opus");
  if (codec == QLatin1String("vorbis")) return QStringLiteral("ogg");
  if (codec == QLatin1String("flac")) return QStringLiteral("flac");
  return QStringLiteral("mka");
}

QString recording_time_text(qint64 seconds) {
  if (seconds < 0) seconds = 0;
  const qint64 h = seconds / 3600;
  const qint64 m = seconds / 60 % 60;
  const qint64 s = seconds % 60;
  const QString mm_ss = QStringLiteral("%1:%2").arg(h > 0 ? QStringLiteral("%1").arg(m, 2, 10, QLatin1Char('0'))
                                                              : QString::number(m))
                            .arg(s, 2, 10, QLatin1Char('0'));
  return h > 0 ? QString::number(h) + QLatin1Char(':') + mm_ss : mm_ss;
}
