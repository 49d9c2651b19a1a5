#include "shell/playlist_guides.h"

#include "guide/guide_library.h"
#include "guide/guide_panel.h"
#include "playlists/playlist_sources.h"
#include "shell/app_state.h"
#include "shell/guide_hookup.h"
#include "shell/playlist_flows.h"

#include <cmath>

void connect_playlist_guides(const AppState& state, PlaylistFlows& playlists, GuideHookup& guide) {
  guide.tvg_id_of = [&state](const Channel& channel) { return tvg_id_for(state.playlists, channel); };
  guide.guide_shift_of = [&state](const Channel& channel) {
    return static_cast<int64_t>(std::lround(guide_shift_for(state.playlists, channel) * 3600));
  };
  QObject::connect(&playlists, &PlaylistFlows::guides_named, &guide,
                   [&guide](uint16_t source, const std::vector<std::string>& addresses) {
                     const QString problem = guide.library().take_playlist_guides(source, addresses);
                     if (!problem.isEmpty()) guide.show_problem(problem);
                   });
  QObject::connect(&playlists, &PlaylistFlows::source_removed, &guide,
                   [&guide](uint16_t source) { guide.library().remove_playlist_guides(source); });
  guide.panel().playlist_name_of = [&state](uint16_t id) {
    const PlaylistSource* source = find_source(state.playlists.sources, id);
    return source ? source->name : QString();
  };
  guide.panel().show_sources();
}
