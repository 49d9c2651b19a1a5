// Feeds arbitrary bytes to what is made of a station's stream title and of a channel's name before
// they are shown or become a file name. The first byte picks how the rest is cut: the whole as
// the title, or split at the first 0xFF byte into the ICY title and the media title (the address
// is fixed). Besides crashes it stops on a broken promise: a shown title too long, holding a
// control or formatting character, half a character, or blanks other than single spaces between
// words, or changed when cleaned again; a file name with a path separator, a reserved or control
// character, a leading dot, or a name past 255 bytes once numbered.
#include "playback/now_playing.h"
#include "playback/recording.h"

#include <QDateTime>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace {
bool hidden(char32_t code) {
  switch (QChar::category(code)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_NotAssigned:
    case QChar::Other_PrivateUse:
    case QChar::Other_Surrogate:
      return true;
    default:
      return false;
  }
}

void check_title(const QString& shown) {
  if (shown.size() > kNowPlayingMaxLength) __builtin_trap();
  if (!shown.isEmpty() && (shown.front() == QLatin1Char(' ') || shown.back() == QLatin1Char(' '))) __builtin_trap();
  if (shown.contains(QStringLiteral("  "))) __builtin_trap();
  for (qsizetype i = 0; i < shown.size(); ++i) {
    const QChar c = shown[i];
    if (c.isHighSurrogate()) {
      if (i + 1 >= shown.size() || !shown[i + 1].isLowSurrogate()) __builtin_trap();
      if (hidden(QChar::surrogateToUcs4(c, shown[i + 1]))) __builtin_trap();
      ++i;
      continue;
    }
    if (hidden(c.unicode())) __builtin_trap();
    if (c.isSpace() && c != QLatin1Char(' ')) __builtin_trap();
  }
  if (clean_title(shown) != shown) __builtin_trap();
}

void check_file_name(const QString& channel_name) {
  const QDateTime at(QDate(2026, 12, 10), QTime(21, 5, 9));
  const QString suffix = QStringLiteral(" 2026-12-10 21.05.09.mp3");
  const QString file = recording_file_name(channel_name, at, QStringLiteral("mp3"));
  if (!file.endsWith(suffix)) __builtin_trap();
  const QString name = file.chopped(suffix.size());
  // Room for a number up to 99 within the file system's 255 bytes.
  if (numbered_file_name(file, 99).toUtf8().size() > 255) __builtin_trap();
  if (name.isEmpty() || name.startsWith(QLatin1Char('.')) || name.startsWith(QLatin1Char(' ')) ||
      name.endsWith(QLatin1Char(' ')) || name.endsWith(QLatin1Char('.')))
    __builtin_trap();
  for (qsizetype i = 0; i < name.size(); ++i) {
    const QChar c = name[i];
    const bool pair = c.isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate();
    if (c.isSurrogate() && !pair) __builtin_trap();  // half a character
    const char32_t code = pair ? QChar::surrogateToUcs4(c, name[++i]) : c.unicode();
    const bool control = QChar::category(code) == QChar::Other_Control || QChar::category(code) == QChar::Other_Format;
    if (QStringLiteral("/\\:*?\"<>|").contains(c) || control) __builtin_trap();
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (size == 0) return 0;
  const char* text = reinterpret_cast<const char*>(bytes + 1);
  const qsizetype length = static_cast<qsizetype>(size - 1);
  if (bytes[0] % 2 == 0) {
    const QString raw = QString::fromUtf8(text, length);
    check_title(clean_title(raw));
    check_file_name(raw);
    return 0;
  }
  const QByteArray rest(text, length);
  const qsizetype cut = rest.indexOf('\xff');
  const QString icy = QString::fromUtf8(cut < 0 ? rest : rest.left(cut));
  const QString media = cut < 0 ? QString() : QString::fromUtf8(rest.mid(cut + 1));
  check_title(now_playing_title(icy, media, QStringLiteral("http://radio.example/live/stream.mp3")));
  return 0;
}
