#pragma once
#include "shell/app_state.h"

// Shown and enabled state of the channel list's context menu entries.
struct ContextMenuState {
  bool watch_enabled = false;
  bool add_favorite_visible = true;
  bool add_favorite_enabled = false;
  bool remove_favorite_visible = false;
  bool remove_favorite_enabled = true;
  bool homepage_enabled = false;
  bool rate_enabled = false;
  bool flag_enabled = false;
  bool update_enabled = false;
  bool remove_channel_enabled = true;

  friend bool operator==(const ContextMenuState&, const ContextMenuState&) = default;
};

// The states after a right click on `clicked_row` (-1 below the last row) with `selected_row`
// selected (-1 for none); the Menu key counts as a click on the selected row. The favourites pair
// keeps its visibility from `before` when no channel row was hit.
ContextMenuState right_click_menu_state(const ContextMenuState& before, const AppState& state, int clicked_row,
                                        int selected_row);

// True when the channel at this array position was rated, respectively flagged, since the last
// catalogue load. The lists hold channel ids, so that a sort cannot move a mark to another channel.
bool was_rated(const Catalogue& catalogue, int position);
bool was_flagged(const Catalogue& catalogue, int position);
