#include "playlists/playlist_ways_in.h"

namespace {
// A drop or a clipboard holding more than this is no list of playlists.
constexpr int kMaxDroppedItems = 256;
constexpr qsizetype kMaxAddressLength = 8 * 1024;
}  // namespace

bool is_playlist_address(const QString& text) {
  return text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
         text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

QString address_in_text(const QString& text) {
  const QString trimmed = text.trimmed();
  if (trimmed.size() > kMaxAddressLength || !is_playlist_address(trimmed)) return {};
  for (const QChar c : trimmed)
    if (c.isSpace() || c.category() == QChar::Other_Control) return {};
  const QUrl url(trimmed, QUrl::StrictMode);
  return url.isValid() && !url.host().isEmpty() ? trimmed : QString();
}

QStringList dropped_playlists(const QList<QUrl>& uris, const QString& text) {
  QStringList items;
  if (!uris.isEmpty()) {
    for (const QUrl& url : uris) {
      if (items.size() == kMaxDroppedItems) break;
      if (url.isLocalFile())
        items << url.toLocalFile();
      else if (const QString address = address_in_text(url.toString(QUrl::FullyEncoded)); !address.isEmpty())
        items << address;
    }
    return items;
  }
  for (const QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
    if (items.size() == kMaxDroppedItems) break;
    if (const QString address = address_in_text(line.toString()); !address.isEmpty()) items << address;
  }
  return items;
}
