#pragma once
// Channels are written as brace lists that name only their first fields.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include "catalogue/app_state.h"

#include <QString>

#include <numeric>

// Small catalogues for the main window tests.
namespace shell_test {

struct ChannelTraits {
  QString name;
  int usdef = 0;
  double rt = 0;
  int status = 2;
  QString homepage;
  int favorited = 0;
  int genre_id = 10;
  int bitrate = 128;
  QString comment;
  QString url = QStringLiteral("http://127.0.0.1:9/stream");
};

inline TItem make_channel(int id, const ChannelTraits& traits) {
  TItem ch;
  ch.id = id;
  ch.name = TShortText::from_text(traits.name);
  ch.usdef = static_cast<uint16_t>(traits.usdef);
  ch.rt = traits.rt;
  ch.status = traits.status;
  ch.homepage = to_packed(traits.homepage);
  ch.favorited = traits.favorited;
  ch.genre_id = traits.genre_id;
  ch.bitrate = traits.bitrate;
  ch.comment = to_packed(traits.comment);
  ch.url = to_packed(traits.url);
  ch.group_id = 1;
  ch.type_id = 1;
  return ch;
}

// Channels with the given names, every one visible, TV view, one genre (id 10, "Pop").
inline AppState state_with(const std::vector<ChannelTraits>& traits_list) {
  AppState state;
  state.catalogue.info.filter.group_id = 1;
  state.catalogue.info.genres.push_back({10, TShortText::from_text(QStringLiteral("Pop"))});
  state.catalogue.info.countries.push_back({0, TShortText::from_text(QStringLiteral("All Countries"))});
  state.catalogue.info.countries.push_back({7, TShortText::from_text(QStringLiteral("Norway"))});
  int id = 1;
  for (const ChannelTraits& traits : traits_list) state.catalogue.info.channels.push_back(make_channel(id++, traits));
  state.visible.resize(traits_list.size());
  std::iota(state.visible.begin(), state.visible.end(), 0);
  return state;
}

inline AppState state_with_names(const std::vector<QString>& names) {
  std::vector<ChannelTraits> traits_list;
  for (const QString& n : names) {
    ChannelTraits traits;
    traits.name = n;
    traits_list.push_back(traits);
  }
  return state_with(traits_list);
}

}  // namespace shell_test
