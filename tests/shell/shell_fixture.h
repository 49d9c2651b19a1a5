#pragma once
// Channels are written as brace lists that name only their first fields.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include "shell/app_state.h"

#include <QString>

#include <numeric>

// Small catalogues for the main window tests.
namespace shell_test {

struct ChannelTraits {
  QString name;
  int user_defined = 0;
  double average_rating = 0;
  int status = 2;
  QString homepage;
  int favorited = 0;
  int genre_id = 10;
  int bitrate = 128;
  QString comment;
  QString url = QStringLiteral("http://127.0.0.1:9/stream");
};

inline Channel make_channel(int id, const ChannelTraits& traits) {
  Channel ch;
  ch.id = id;
  ch.name = ShortText::from_text(traits.name);
  ch.user_defined = static_cast<uint16_t>(traits.user_defined);
  ch.average_rating = traits.average_rating;
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
  state.catalogue.filter.group_id = 1;
  state.catalogue.genres.push_back({10, ShortText::from_text(QStringLiteral("Pop"))});
  state.catalogue.countries.push_back({0, ShortText::from_text(QStringLiteral("All Countries"))});
  state.catalogue.countries.push_back({7, ShortText::from_text(QStringLiteral("Norway"))});
  int id = 1;
  for (const ChannelTraits& traits : traits_list) state.catalogue.channels.push_back(make_channel(id++, traits));
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
