#include "playback/stream_url.h"

#include <QStringList>

namespace {
const QStringList& network_schemes() {
  static const QStringList schemes = {
      QStringLiteral("http"),   QStringLiteral("https"),  QStringLiteral("mms"),
      QStringLiteral("mmsh"),   QStringLiteral("mmst"),   QStringLiteral("rtsp"),
      QStringLiteral("rtsps"),  QStringLiteral("rtmp"),   QStringLiteral("rtmps"),
      QStringLiteral("rtmpe"),  QStringLiteral("rtmpt"),  QStringLiteral("rtmpte"),
      QStringLiteral("rtmpts"), QStringLiteral("rtp"),    QStringLiteral("udp"),
      QStringLiteral("srt"),
  };
  return schemes;
}

bool is_scheme_char(QChar c, bool first) {
  if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) return true;
  if (first) return false;
  return (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}
}  // namespace

bool is_network_stream_url(const QString& url) {
  const qsizetype colon = url.indexOf(u':');
  if (colon <= 0) return false;
  for (qsizetype i = 0; i < colon; ++i) {
    if (!is_scheme_char(url[i], i == 0)) return false;
  }
  if (!url.mid(colon).startsWith(QLatin1String("://"))) return false;
  // Nothing after "://" means no host and nothing to connect to.
  if (url.size() <= colon + 3) return false;
  for (const QChar c : url) {
    // Control characters have no place in an address and could split a command line or a header.
    if (c.unicode() < 0x20 || c.unicode() == 0x7f) return false;
  }
  return network_schemes().contains(url.left(colon).toLower());
}

QString refused_stream_message(const QString& url) {
  return QStringLiteral("This channel's address is not a network stream and will not be played:\n%1")
      .arg(url);
}
