#include "playlists/channel_playlist.h"

#include "catalogue/keyed_hash.h"
#include "playlists/playlist_reader.h"
#include "playlists/playlist_sources.h"

#include <QByteArray>
#include <QFileInfo>

#include <map>
#include <optional>
#include <unordered_map>

namespace {
std::string utf8_of(const ShortText& text) { return text.text().toUtf8().toStdString(); }

// The sources' copies, each read when a channel of it is first exported, with its entries by address.
class SourceCopies {
 public:
  explicit SourceCopies(QString app_data) : app_data_(std::move(app_data)) {}

  // The playlist and entry the channel came from, or nothing.
  std::pair<const Playlist*, const PlaylistEntry*> entry_of(const Channel& channel) {
    if (channel.source == 0 || app_data_.isEmpty()) return {};
    auto [it, fresh] = copies_.try_emplace(channel.source);
    Copy& copy = it->second;
    if (fresh) {
      try {
        copy.playlist = read_playlist_file(playlist_copy_path(app_data_, channel.source));
        copy.by_address.reserve(copy.playlist->entries.size());
        for (const PlaylistEntry& entry : copy.playlist->entries)
          copy.by_address.emplace(copy.playlist->text(entry.address), &entry);
      } catch (const PlaylistError&) {
        // Gone or unreadable since: the list's own fields stand in.
      }
    }
    if (!copy.playlist) return {};
    const auto found = copy.by_address.find(channel.url.view());
    if (found == copy.by_address.end()) return {};
    return {&*copy.playlist, found->second};
  }

 private:
  struct Copy {
    std::optional<Playlist> playlist;
    std::unordered_map<std::string_view, const PlaylistEntry*, KeyedTextHash> by_address;
  };
  QString app_data_;
  std::map<uint16_t, Copy> copies_;
};

PlaylistEntry copied_entry(Playlist& out, const Playlist& from, const PlaylistEntry& entry) {
  PlaylistEntry copy = entry;
  for (TextSpan PlaylistEntry::*field :
       {&PlaylistEntry::title, &PlaylistEntry::address, &PlaylistEntry::group_title, &PlaylistEntry::tvg_id,
        &PlaylistEntry::tvg_name, &PlaylistEntry::tvg_logo, &PlaylistEntry::tvg_country, &PlaylistEntry::tvg_language,
        &PlaylistEntry::user_agent, &PlaylistEntry::referrer, &PlaylistEntry::headers})
    copy.*field = out.add_text(from.text(entry.*field));
  return copy;
}

PlaylistEntry entry_of_channel(Playlist& out, const ChannelToExport& exported) {
  const Channel& channel = exported.channel;
  const ChannelExtras& extras = exported.extras;
  PlaylistEntry entry;
  entry.title = out.add_text(utf8_of(channel.name));
  entry.address = out.add_text(channel.url.view());
  entry.group_title = out.add_text(utf8_of(channel.genre));
  entry.radio = channel.group_id == kGroupRadio;
  entry.user_agent = out.add_text(extras.user_agent.view());
  entry.referrer = out.add_text(extras.referrer.view());
  entry.headers = out.add_text(extras.headers.view());
  entry.tvg_id = out.add_text(extras.tvg_id.view());
  entry.number = extras.number;
  entry.guide_shift = extras.guide_shift;
  return entry;
}
}  // namespace

Playlist playlist_of_channels(const std::vector<ChannelToExport>& channels, const QString& app_data) {
  Playlist playlist;
  playlist.entries.reserve(channels.size());
  SourceCopies copies(app_data);
  for (const ChannelToExport& exported : channels) {
    const auto [from, entry] = copies.entry_of(exported.channel);
    playlist.entries.push_back(entry ? copied_entry(playlist, *from, *entry) : entry_of_channel(playlist, exported));
  }
  return playlist;
}

Playlist playlist_of_channels(const std::vector<Channel>& channels, const std::vector<int>& positions) {
  std::vector<ChannelToExport> chosen;
  chosen.reserve(positions.size());
  for (const int position : positions) chosen.push_back({channels.at(static_cast<size_t>(position)), {}});
  return playlist_of_channels(chosen);
}

QString playlist_export_path(const QString& chosen) {
  if (chosen.isEmpty() || !QFileInfo(chosen).suffix().isEmpty()) return chosen;
  return chosen + QStringLiteral(".m3u");
}
