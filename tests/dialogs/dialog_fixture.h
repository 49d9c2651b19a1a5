#pragma once
#include "catalogue/app_state.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <numeric>

namespace dialogs_test {

inline TItem channel(int32_t id, const char* name, const char* url, int32_t group = kGroupTV, uint16_t usdef = 0) {
  TItem c;
  c.id = id;
  c.name = TShortText::from_text(QString::fromUtf8(name));
  c.url = url;
  c.group_id = group;
  c.type_id = 1;
  c.usdef = usdef;
  return c;
}

// A small catalogue: three countries, three genres, channels sorted by name, every one visible.
inline AppState small_state() {
  AppState s;
  TInfo& info = s.catalogue.info;
  info.ud_max = 100000;
  info.countries = {{1, TShortText::from_text("All")}, {33, TShortText::from_text("France")},
                    {49, TShortText::from_text("Germany")}};
  info.genres = {{0, TShortText::from_text("Any")}, {12, TShortText::from_text("Jazz")},
                 {14, TShortText::from_text("News")}};
  info.channels = {channel(7, "Alpha FM", "http://alpha.example/live", kGroupRadio),
                   channel(100001, "Mine", "http://mine.example/a", kGroupTV, 1),
                   channel(9, "Zulu TV", "http://zulu.example/Stream", kGroupTV)};
  info.channels[1].sent = 1;
  info.channels[1].country_id = 33;
  info.channels[1].genre_id = 12;
  info.channels[1].genre = TShortText::from_text("Jazz");
  info.channels[1].bitrate = 96;
  info.channels[1].homepage = "http://mine.example/";
  info.channels[1].comment = "my comment";
  info.ud_max = 100001;
  s.visible.resize(info.channels.size());
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
