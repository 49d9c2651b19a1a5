#include "shell/guide_user_channels.h"

#include "shell/app_state.h"

UserChannelNames user_channel_names(const AppState& state) {
  UserChannelNames names;
  const std::vector<Channel>& channels = state.catalogue.channels;
  names.names.reserve(channels.size());
  size_t bytes = 0;
  for (const Channel& channel : channels) bytes += channel.name.size();
  names.texts.reserve(bytes);
  for (const Channel& channel : channels) names.add_name(channel.name.bytes(), !channel.name.is_utf8());
  for (const ChannelExtras& extras : state.playlists.extras)
    if (!extras.tvg_id.empty()) names.ids.push_back(extras.tvg_id.str());
  return names;
}
