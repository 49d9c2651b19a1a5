#include "shell/context_menu_state.h"

#include "catalogue/channel_sources.h"

#include <algorithm>

namespace {
bool holds_channel_id(const std::vector<int>& ids, const Catalogue& catalogue, int position) {
  const auto& channels = catalogue.channels;
  if (position < 0 || position >= static_cast<int>(channels.size())) return false;
  return std::find(ids.begin(), ids.end(), channels[position].id) != ids.end();
}
}  // namespace

bool was_rated(const Catalogue& catalogue, int position) {
  return holds_channel_id(catalogue.rated_ids, catalogue, position);
}
bool was_flagged(const Catalogue& catalogue, int position) {
  return holds_channel_id(catalogue.flagged_ids, catalogue, position);
}

ContextMenuState right_click_menu_state(const ContextMenuState& before, const AppState& state, int clicked_row,
                                        int selected_row) {
  ContextMenuState s = before;
  s.watch_enabled = false;
  s.add_favorite_enabled = false;
  s.homepage_enabled = false;
  s.rate_enabled = false;
  s.flag_enabled = false;
  s.update_enabled = false;
  s.remove_channel_enabled = false;
  if (clicked_row == -1 || selected_row < 0) return s;
  const int p = channel_position(state, selected_row);
  if (p < 0) return s;
  const Channel& ch = state.catalogue.channels[p];

  s.watch_enabled = true;
  if (state.catalogue.filter.favorited != 0) {
    s.add_favorite_visible = false;
    s.remove_favorite_visible = true;
  } else {
    s.add_favorite_visible = true;
    s.remove_favorite_visible = false;
    s.add_favorite_enabled = ch.favorited != 1;
  }
  s.homepage_enabled = !ch.homepage.empty();
  const SourceRules& rules = rules_of(ch);
  s.update_enabled = rules.update != UpdateCommand::None;
  s.remove_channel_enabled = rules.removable;
  if (rules.rated_and_flagged) {
    s.rate_enabled = !was_rated(state.catalogue, p);
    s.flag_enabled = !was_flagged(state.catalogue, p);
  }
  return s;
}
