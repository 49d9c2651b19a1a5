#include "playlists/playlist_channels.h"

#include "catalogue/channel_sources.h"
#include "catalogue/keyed_hash.h"
#include "playlists/playlist_reader.h"
#include "services/logo_cache.h"
#include "views/sorting.h"

#include <algorithm>
#include <iterator>
#include <unordered_map>
#include <unordered_set>

namespace {
// A name as the list's tables keep it: at most a short text's bytes, cut between characters.
std::string kept_name(const std::string& name) {
  if (name.size() <= ShortText::kMaxBytes) return name;
  return ShortText::from_utf8(name).text().toStdString();
}

bool says_radio(std::string_view text) {
  static constexpr std::string_view kRadio = "radio";
  if (text.size() < kRadio.size()) return false;
  for (size_t i = 0; i + kRadio.size() <= text.size(); ++i) {
    size_t k = 0;
    while (k < kRadio.size() && (text[i + k] | 0x20) == kRadio[k]) ++k;
    if (k == kRadio.size()) return true;
  }
  return false;
}

void give_ids(std::vector<Channel>& channels) {
  int32_t next = -1;
  for (Channel& c : channels)
    if (source_of(c) == ChannelSource::Playlist) c.id = next--;
}

bool by_source_and_address(const ChannelExtras& a, const ChannelExtras& b) {
  if (a.source != b.source) return a.source < b.source;
  return a.address.view() < b.address.view();
}
}  // namespace

int32_t entry_group(const Playlist& playlist, const PlaylistEntry& entry, const PlaylistSource& source) {
  if (source.group != 0) return source.group;
  return entry.radio || says_radio(playlist.text(entry.group_title)) ? kGroupRadio : kGroupTV;
}

SourceChannels channels_of_playlist(const Playlist& playlist, const PlaylistSource& source,
                                    const std::vector<std::string>& favorite_addresses) {
  SourceChannels out;
  out.source = source.id;
  out.skipped = playlist.skipped;
  out.skip_examples = playlist.skip_examples;
  out.guide_addresses = playlist.guide_addresses;
  // Keyed by the playlist's own texts, so keyed hashes: a fixed one lets a file make them collide.
  const std::unordered_set<std::string_view, KeyedTextHash> favorites(favorite_addresses.begin(),
                                                                      favorite_addresses.end());
  // A list of a hundred thousand entries names a few hundred groups and one or two user agents:
  // each is held once and shared.
  std::unordered_map<std::string_view, std::pair<ShortText, int32_t>, KeyedTextHash> genres;
  // A country is named by a code, a name or a language; each text is looked up once.
  std::unordered_map<std::string_view, int32_t, KeyedTextHash> countries_by_code, countries_by_language;
  std::unordered_map<std::string, int32_t, KeyedTextHash> country_places;
  const auto place_of = [](std::vector<std::string>& names, const std::string& name) -> int32_t {
    if (name.empty() || names.size() >= kMaxSourceTableNames) return 0;
    names.push_back(name);
    return static_cast<int32_t>(names.size());
  };
  const auto country_of = [&](const PlaylistEntry& entry) -> int32_t {
    const std::string_view code = playlist.text(entry.tvg_country);
    const std::string_view language = code.empty() ? playlist.text(entry.tvg_language) : std::string_view();
    if (code.empty() && language.empty()) return 0;
    auto& by_text = code.empty() ? countries_by_language : countries_by_code;
    const std::string_view text = code.empty() ? language : code;
    if (const auto seen = by_text.find(text); seen != by_text.end()) return seen->second;
    // Past the bound on names, a text not seen yet names nothing: a list cannot grow the tables.
    if (by_text.size() >= kMaxSourceTableNames) return 0;
    const auto it = by_text.emplace(text, 0).first;
    const std::string name = kept_name(country_name_of(code, language).toStdString());
    if (name.empty()) return 0;
    auto [place, new_name] = country_places.try_emplace(name, 0);
    if (new_name) place->second = place_of(out.country_names, name);
    return it->second = place->second;
  };
  std::unordered_map<std::string_view, PackedText, KeyedTextHash> options;
  const auto shared_option = [&](std::string_view text) -> PackedText {
    if (text.empty()) return {};
    auto [it, fresh] = options.try_emplace(text);
    if (fresh) it->second = PackedText(text);
    return it->second;
  };
  out.channels.reserve(playlist.entries.size());
  for (const PlaylistEntry& entry : playlist.entries) {
    Channel c;
    c.source = source.id;
    c.group_id = entry_group(playlist, entry, source);
    c.name = ShortText::from_utf8(playlist.text(entry.title));
    c.url = PackedText(playlist.text(entry.address));
    const std::string_view group = playlist.text(entry.group_title);
    auto [genre, fresh] = genres.try_emplace(group);
    if (fresh) genre->second = {ShortText::from_utf8(group), place_of(out.genre_names, kept_name(std::string(group)))};
    c.genre = genre->second.first;
    c.genre_id = genre->second.second;
    c.country_id = country_of(entry);
    c.favorited = favorites.count(playlist.text(entry.address)) ? 1 : 0;
    c.status = kStatusNotReported;
    // A logo address too long to fetch is not kept either.
    std::string_view logo = playlist.text(entry.tvg_logo);
    if (logo.size() > static_cast<size_t>(kMaxLogoAddressBytes)) logo = {};
    if (entry.user_agent.size != 0 || entry.referrer.size != 0 || entry.headers.size != 0 || entry.tvg_id.size != 0 ||
        !logo.empty() || entry.guide_shift != 0 || entry.number != 0) {
      ChannelExtras extras;
      extras.source = source.id;
      extras.address = c.url;
      extras.user_agent = shared_option(playlist.text(entry.user_agent));
      extras.referrer = shared_option(playlist.text(entry.referrer));
      extras.headers = shared_option(playlist.text(entry.headers));
      extras.tvg_id = PackedText(playlist.text(entry.tvg_id));
      extras.logo = PackedText(logo);
      extras.guide_shift = entry.guide_shift;
      extras.number = entry.number;
      out.extras.push_back(std::move(extras));
    }
    out.channels.push_back(std::move(c));
  }
  return out;
}

SourceChannels read_source_channels(const QString& app_data, const PlaylistSource& source,
                                    const std::vector<std::string>& favorite_addresses) {
  return channels_of_playlist(read_playlist_file(playlist_copy_path(app_data, source.id)), source, favorite_addresses);
}

void remove_source_channels(Catalogue& catalogue, LoadedSources& loaded, uint16_t source) {
  std::erase_if(catalogue.channels, [source](const Channel& c) { return c.source == source; });
  std::erase_if(loaded.extras, [source](const ChannelExtras& o) { return o.source == source; });
  attach_source_tables(catalogue);
}

namespace {
// The fresh channels' places in their source's names become ids of the list's tables.
void name_countries_and_genres(SourceTables& tables, SourceChannels& fresh) {
  const auto ids_of = [](SourceNames& names, const std::vector<std::string>& places) {
    std::vector<int32_t> ids{0};
    for (const std::string& name : places) ids.push_back(names.intern(name));
    return ids;
  };
  const std::vector<int32_t> countries = ids_of(tables.countries, fresh.country_names);
  const std::vector<int32_t> genres = ids_of(tables.genres, fresh.genre_names);
  const auto id_at = [](const std::vector<int32_t>& ids, int32_t place) {
    return place > 0 && static_cast<size_t>(place) < ids.size() ? ids[static_cast<size_t>(place)] : 0;
  };
  for (Channel& c : fresh.channels) {
    c.country_id = id_at(countries, c.country_id);
    c.genre_id = id_at(genres, c.genre_id);
  }
}
}  // namespace

void ready_to_join(SourceChannels& fresh, int last_sort_column, bool sort_flag, size_t list_size) {
  sort_like_list(fresh.channels, last_sort_column, sort_flag);
  fresh.sorted_for = {last_sort_column, sort_flag};
  fresh.merge_keys = merge_keys(fresh.channels, last_sort_column);
  fresh.room.resize(list_size + fresh.channels.size());
  std::sort(fresh.extras.begin(), fresh.extras.end(), by_source_and_address);
}

LeftBehind join_source_channels(Catalogue& catalogue, LoadedSources& loaded, SourceChannels fresh,
                                int last_sort_column, bool sort_flag) {
  const uint16_t source = fresh.source;
  name_countries_and_genres(catalogue.source_tables, fresh);
  std::vector<Channel> left = std::move(catalogue.channels);
  catalogue.channels = merge_into_sorted_list(left, fresh.channels, fresh.merge_keys, std::move(fresh.room),
                                              last_sort_column, sort_flag,
                                              [source](const Channel& c) { return c.source != source; });
  give_ids(catalogue.channels);
  attach_source_tables(catalogue);
  // The fresh extras all belong to one source and come sorted: they go in as one block where
  // their source's former ones were.
  std::erase_if(loaded.extras, [source](const ChannelExtras& o) { return o.source == source; });
  const auto at = std::lower_bound(loaded.extras.begin(), loaded.extras.end(), source,
                                   [](const ChannelExtras& o, uint16_t id) { return o.source < id; });
  loaded.extras.insert(at, std::make_move_iterator(fresh.extras.begin()), std::make_move_iterator(fresh.extras.end()));
  return {std::move(left), std::move(fresh.merge_keys)};
}

void replace_source_channels(Catalogue& catalogue, LoadedSources& loaded, SourceChannels fresh) {
  ready_to_join(fresh, -1, false, catalogue.channels.size());
  join_source_channels(catalogue, loaded, std::move(fresh), -1, false);
}

std::vector<Channel> playlist_channels_of(const std::vector<Channel>& channels) {
  std::vector<Channel> out;
  for (const Channel& c : channels)
    if (source_of(c) == ChannelSource::Playlist) out.push_back(c);
  return out;
}

std::vector<std::string> favorite_addresses(const Catalogue& catalogue, uint16_t source) {
  std::vector<std::string> out;
  for (const Channel& c : catalogue.channels)
    if (c.source == source && c.favorited == 1) out.push_back(c.url.str());
  return out;
}

const ChannelExtras* channel_extras(const LoadedSources& loaded, const Channel& channel) {
  if (source_of(channel) != ChannelSource::Playlist) return nullptr;
  ChannelExtras key;
  key.source = channel.source;
  key.address = channel.url;
  const auto it = std::lower_bound(loaded.extras.begin(), loaded.extras.end(), key, by_source_and_address);
  if (it == loaded.extras.end() || it->source != channel.source || it->address.view() != channel.url.view())
    return nullptr;
  return &*it;
}

HttpOptionsFound http_options_for(const LoadedSources& loaded, const Channel& channel) {
  const ChannelExtras* extras = channel_extras(loaded, channel);
  if (!extras) return {};
  return {extras->user_agent.str(), extras->referrer.str(), extras->headers.str()};
}

std::string tvg_id_for(const LoadedSources& loaded, const Channel& channel) {
  const ChannelExtras* extras = channel_extras(loaded, channel);
  return extras ? extras->tvg_id.str() : std::string();
}

std::string logo_for(const LoadedSources& loaded, const Channel& channel) {
  const ChannelExtras* extras = channel_extras(loaded, channel);
  return extras ? extras->logo.str() : std::string();
}

float guide_shift_for(const LoadedSources& loaded, const Channel& channel) {
  const ChannelExtras* extras = channel_extras(loaded, channel);
  return extras ? extras->guide_shift : 0;
}

uint32_t channel_number_for(const LoadedSources& loaded, const Channel& channel) {
  const ChannelExtras* extras = channel_extras(loaded, channel);
  return extras ? extras->number : 0;
}
