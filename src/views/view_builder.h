#pragma once
#include "catalogue/records.h"
#include "views/channel_list_state.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Which channels the list shows. The list reads ChannelListState::visible: its size is the row count and
// row r shows catalogue.channels[visible[r]].

// The window caption for the view, or nothing when the group id names no view (the caption stays).
std::optional<QString> view_caption(const ChannelFilter& filter);

// True while at least one of the five criteria is on: "Clear Filter" is shown then.
bool clear_filter_shown(const ChannelFilter& filter);

// Entries of the main window's country list (the country table in its order) and the entry to
// select: the chosen country while the country criterion is on, else 0. The list is empty when the
// table is.
struct CountryList {
  QStringList entries;
  int selected = 0;
};
CountryList country_list(const Catalogue& catalogue);
// Names of the country or genre table in table order, for the dialogs' lists.
QStringList country_names(const Catalogue& catalogue);
QStringList genre_names(const Catalogue& catalogue);

// What the window shows after a build or rebuild.
struct ViewUpdate {
  int row_count = 0;
  std::optional<QString> caption;  // nothing: leave the caption as it is
  bool clear_filter_visible = false;
};

// Refills state.visible with the positions of the channels the filter lets through, in array
// order; answers what the window must show. A channel is listed when its type_id is at most 1, it
// belongs to the view (its group; in the Favorites view a favourite of any group) and it passes
// every criterion that is on: the name fragment (exact characters), country, genre, a bitrate above
// the threshold, and a report status whose switch is off.
ViewUpdate build_visible_list(ChannelListState& state);

// Called by rebuild_view before the visible list changes. The window puts itself into the
// "No channel" state there: stops the player (empty URL), shows "No channel", shows Pause and hides
// Play, and begins resetting its list model (which drops the selection). After rebuild_view
// returns it ends the model reset, sets the Comments column to 110 pixels, applies the ViewUpdate
// and refills its country list (country_list) and the dialogs' lists without running the country
// change handler.
using BeforeRebuild = std::function<void()>;

ViewUpdate rebuild_view(ChannelListState& state, const BeforeRebuild& before = {});

// The view commands. Each writes the settings store in the stated order, changes the filter and
// rebuilds; the window applies the answer as after rebuild_view.
ViewUpdate choose_tv_view(ChannelListState& state, const BeforeRebuild& before = {});
ViewUpdate choose_radio_view(ChannelListState& state, const BeforeRebuild& before = {});
ViewUpdate choose_video_view(ChannelListState& state, const BeforeRebuild& before = {});
// Also drops every criterion, as "Clear Filter" does.
ViewUpdate choose_favorites_view(ChannelListState& state, const BeforeRebuild& before = {});
ViewUpdate clear_filter(ChannelListState& state, const BeforeRebuild& before = {});
// entry: the chosen entry of the main window's country list; 0, a negative entry (none chosen) or
// one beyond the country table stands for all countries.
ViewUpdate choose_country(ChannelListState& state, int entry, const BeforeRebuild& before = {});
