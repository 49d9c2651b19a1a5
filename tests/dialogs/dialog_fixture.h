#pragma once
#include "shell/app_state.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <numeric>

namespace dialogs_test {

inline Channel channel(int32_t id, const char* name, const char* url, int32_t group = kGroupTV, uint16_t user_defined = 0) {
  Channel c;
  c.id = id;
  c.name = ShortText::from_text(QString::fromUtf8(name));
  c.url = url;
  c.group_id = group;
  c.type_id = 1;
  c.user_defined = user_defined;
  return c;
}

// A small catalogue: three countries, three genres, channels sorted by name, every one visible.
inline AppState small_state() {
  AppState s;
  Catalogue& catalogue = s.catalogue;
  catalogue.highest_user_id = 100000;
  catalogue.countries = {{1, ShortText::from_text("All")}, {33, ShortText::from_text("France")},
                    {49, ShortText::from_text("Germany")}};
  catalogue.genres = {{0, ShortText::from_text("Any")}, {12, ShortText::from_text("Jazz")},
                 {14, ShortText::from_text("News")}};
  catalogue.channels = {channel(7, "Alpha FM", "http://alpha.example/live", kGroupRadio),
                   channel(100001, "Mine", "http://mine.example/a", kGroupTV, 1),
                   channel(9, "Zulu TV", "http://zulu.example/Stream", kGroupTV)};
  catalogue.channels[1].sent = 1;
  catalogue.channels[1].country_id = 33;
  catalogue.channels[1].genre_id = 12;
  catalogue.channels[1].genre = ShortText::from_text("Jazz");
  catalogue.channels[1].bitrate = 96;
  catalogue.channels[1].homepage = "http://mine.example/";
  catalogue.channels[1].comment = "my comment";
  catalogue.highest_user_id = 100001;
  s.visible.resize(catalogue.channels.size());
  std::iota(s.visible.begin(), s.visible.end(), 0);
  // The start-up sort by name has run: the flag was inverted once.
  s.sort_flag = true;
  s.last_sort_column = 0;
  return s;
}

// Types text into a widget key by key, as the user would.
inline void type_keys(QWidget* w, const QString& text) {
  for (QChar c : text) {
    const int key = c.toUpper().unicode();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
  }
}

}  // namespace dialogs_test
