#pragma once
#include <QDateTime>
#include <QString>

#include <deque>
#include <map>
#include <vector>

// What a stream says it is playing, made fit to show: plain text on one line, no control or
// formatting characters, whitespace runs folded, at most kNowPlayingMaxLength characters (a longer
// one ends in "..."). Stations send whatever they like here.
inline constexpr qsizetype kNowPlayingMaxLength = 200;
QString clean_title(const QString& raw);

// The title to show for a stream: the station's ICY title when it sends one, otherwise the media
// title mpv found, unless that is only the address or its last part (mpv's stand-in when the
// stream names nothing). Cleaned; empty when there is nothing to show.
QString now_playing_title(const QString& icy_title, const QString& media_title, const QString& url);

// What the desktop's sound mixer shows for the stream: mpv's "title", a template in which "$"
// starts a property, so the title is escaped to stand as it is. The program's name when the stream
// says nothing (mpv would show the address).
QString mixer_title_template(const QString& now_playing);

struct HeardTitle {
  QDateTime at;
  QString title;
};

// The last titles each channel sent since the program started, newest last. A title that repeats
// the one before it (stations resend theirs every few seconds) is not kept again. Channels are
// told apart by a key (their address); only the most recently heard channels are remembered.
class TitleHistory {
 public:
  static constexpr size_t kTitlesPerChannel = 20;
  static constexpr size_t kChannelsKept = 200;

  void add(const QString& channel, const QString& title, const QDateTime& at);
  std::vector<HeardTitle> titles(const QString& channel) const;

 private:
  struct Channel {
    std::deque<HeardTitle> titles;
    quint64 last_use = 0;
  };
  std::map<QString, Channel> channels_;
  quint64 uses_ = 0;
};

// The lines of the recent-titles list: "hh:mm:ss  title", newest first.
QStringList recent_title_lines(const std::vector<HeardTitle>& titles);
