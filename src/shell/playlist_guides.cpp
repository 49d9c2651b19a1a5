#include "shell/playlist_guides.h"

#include "guide/guide_library.h"
#include "playlists/playlist.h"
#include "shell/app_state.h"
#include "shell/guide_hookup.h"
#include "shell/playlist_flows.h"

void connect_playlist_guides(const AppState& state, PlaylistFlows& playlists, GuideHookup& guide) {
  guide.tvg_id_of = [&state](const Channel& channel) { return tvg_id_for(state.playlists, channel); };
  QObject::connect(&playlists, &PlaylistFlows::guides_named, &guide, [&guide](const std::vector<std::string>& addresses) {
    Playlist named;
    named.guide_addresses = addresses;
    guide.library().add_playlist_guides(named);
  });
}
