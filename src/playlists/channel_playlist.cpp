#include "playlists/channel_playlist.h"

#include <QByteArray>

namespace {
std::string utf8_of(const ShortText& text) { return text.text().toUtf8().toStdString(); }
}  // namespace

Playlist playlist_of_channels(const std::vector<Channel>& channels, const std::vector<int>& positions) {
  Playlist playlist;
  playlist.entries.reserve(positions.size());
  for (const int position : positions) {
    const Channel& channel = channels.at(static_cast<size_t>(position));
    PlaylistEntry entry;
    entry.title = playlist.add_text(utf8_of(channel.name));
    entry.address = playlist.add_text(channel.url.view());
    entry.group_title = playlist.add_text(utf8_of(channel.genre));
    entry.radio = channel.group_id == kGroupRadio;
    playlist.entries.push_back(entry);
  }
  return playlist;
}
