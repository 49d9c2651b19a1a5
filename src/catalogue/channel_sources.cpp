#include "catalogue/channel_sources.h"

#include <string_view>

namespace {
constexpr SourceRules kCatalogueRules{
    .rated_and_flagged = true,
    .reported_when_broken = true,
    .update = UpdateCommand::Explain,
    .refuses_duplicate_address = true,
    .service_status_shown = true,
    .rating = RatingShown::Average,
    .bitrate_known = true,
};
constexpr SourceRules kUserRules{
    .reported_when_broken = true,
    .submitted_when_played = true,
    .update = UpdateCommand::Edit,
    .removable = true,
    .refuses_duplicate_address = true,
    .service_status_shown = true,
    .rating = RatingShown::No,
    .bitrate_known = true,
};
// A playlist's channels are the playlist's: the service never heard of them, and they change,
// come and go with it.
constexpr SourceRules kPlaylistRules{
    .country_and_genre_by_name = true,
    .favorites_key = ChannelKey::Address,
    .guide_match_key = ChannelKey::Address,
};
}  // namespace

ChannelSource source_of(const Channel& channel) {
  if (channel.source != 0) return ChannelSource::Playlist;
  return channel.user_defined == 1 ? ChannelSource::User : ChannelSource::Catalogue;
}

const SourceRules& rules_of(ChannelSource source) {
  switch (source) {
    case ChannelSource::Catalogue: return kCatalogueRules;
    case ChannelSource::User: return kUserRules;
    case ChannelSource::Playlist: return kPlaylistRules;
  }
  return kPlaylistRules;
}

std::string guide_match_key(const Channel& channel) {
  if (rules_of(channel).guide_match_key == ChannelKey::Id) return std::to_string(channel.id);
  const std::string_view address = channel.url.view();
  if (address.empty() || address.find_first_of("\t\r\n") != std::string_view::npos) return {};
  return std::string(address);
}
