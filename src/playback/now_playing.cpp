#include "playback/now_playing.h"

#include "catalogue/shown_text.h"

#include <QStringList>
#include <QUrl>

#include <algorithm>

QString clean_title(const QString& raw) { return clean_shown_text(raw, kNowPlayingMaxLength); }

QString now_playing_title(const QString& icy_title, const QString& media_title, const QString& url) {
  if (QString icy = clean_title(icy_title); !icy.isEmpty()) return icy;
  const QString media = clean_title(media_title);
  if (media.isEmpty()) return {};
  // mpv names a stream without a title by its address or the address's last part.
  const QUrl address(url);
  const QString decoded = QUrl::fromPercentEncoding(url.toUtf8());
  const QString file_name = address.fileName(QUrl::FullyDecoded);
  const QString file_name_raw = QUrl(url).fileName(QUrl::FullyEncoded);
  for (const QString& stand_in : {url, decoded, file_name, file_name_raw, clean_title(url)}) {
    if (!stand_in.isEmpty() && media == stand_in) return {};
  }
  return media;
}

QString mixer_title_template(const QString& now_playing) {
  if (now_playing.isEmpty()) return QStringLiteral("Quovi Pro");
  return QString(now_playing).replace(QLatin1Char('$'), QStringLiteral("$$"));
}

void TitleHistory::add(const QString& channel, const QString& title, const QDateTime& at) {
  if (title.isEmpty()) return;
  Channel& entry = channels_[channel];
  entry.last_use = ++uses_;
  if (!entry.titles.empty() && entry.titles.back().title == title) return;
  entry.titles.push_back({at, title});
  while (entry.titles.size() > kTitlesPerChannel) entry.titles.pop_front();
  if (channels_.size() > kChannelsKept) {
    auto oldest = std::min_element(channels_.begin(), channels_.end(),
                                   [](const auto& a, const auto& b) { return a.second.last_use < b.second.last_use; });
    channels_.erase(oldest);
  }
}

std::vector<HeardTitle> TitleHistory::titles(const QString& channel) const {
  const auto it = channels_.find(channel);
  if (it == channels_.end()) return {};
  return {it->second.titles.begin(), it->second.titles.end()};
}

QStringList recent_title_lines(const std::vector<HeardTitle>& titles) {
  QStringList lines;
  for (auto it = titles.rbegin(); it != titles.rend(); ++it)
    lines << it->at.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("  ") + it->title;
  return lines;
}
