#pragma once
#include "catalogue/app_state.h"

#include <QString>

#include <functional>

// What the main window asks of the rest of the program. The window owns its controls and the
// presentation; the parts of the program that hold the logic plug in here. The window fills the
// entries whose parts it can reach itself (views, sorting, user files); an empty entry leaves its
// command inert: the control is there and does nothing.
struct MainFormHooks {
  // --- Program life --------------------------------------------------------------------------
  // The start-up catalogue load (reset, user files, database, staleness, settings, sort, rebuild).
  std::function<void()> get_data;
  // The close query: writes the user files; answers whether the window may close.
  std::function<bool()> form_close_query;
  // The window's first activation (the download question when the catalogue is outdated).
  std::function<void()> first_activation;
  // The window became active or inactive (screen saver inhibition while active).
  std::function<void(bool active)> activation_changed;

  // --- View builder and sorting --------------------------------------------------------------
  // Refills the country and genre lists of the filter and add/update dialogs (rebuild step).
  std::function<void()> refill_dialog_lists;
  std::function<void()> tv_click;
  std::function<void()> radio_click;
  std::function<void()> video_click;
  std::function<void()> favorites_click;
  std::function<void()> clear_filter_click;
  std::function<void(int entry)> country_change;  // entry chosen in the country list, by the user
  std::function<void()> filter_click;             // opens the filter dialog
  std::function<void(int column)> column_click;   // a click on a column header: sort by it

  // --- User channels, add/update dialog, download, feedback ----------------------------------
  // Each is given the selected row of the list (-1 when none).
  std::function<void(int row)> add_to_favorites;
  std::function<void(int row)> remove_from_favorites;
  std::function<void(int row)> remove_channel;
  std::function<void(int row)> update_channel;
  std::function<void(int row, int stars)> rate;              // 5 to 1
  std::function<void(int row, const QString& word)> flag;   // "ok", "bad", "wrong", "duplicate", "spam"
  std::function<void()> submit_click;   // add a channel of one's own
  std::function<void()> update_click;   // download the catalogue again

  // --- Player ------------------------------------------------------------------------------
  // attach_player_control() fills these from the playback's PlayerControl.
  // Loads the channel of a list row without playing it; -1 unloads and stops. Left empty: no
  // player exists, and the selection touches only the label and the buttons.
  std::function<void(int row)> load_row;
  std::function<void()> play;
  std::function<void()> pause;
  std::function<void()> fullscreen;
  // The window is closing: the video comes back from full screen, whose window would otherwise
  // stay open on its own and keep the program running.
  std::function<void()> leave_fullscreen;
  std::function<void()> mute;
  std::function<void()> unmute;
  std::function<void()> favorited_click;
  std::function<void(int x)> sound_mouse_up;  // x in the volume control's own coordinates

  // --- Feedback, from the player's events ----------------------------------------------------
  // A user-defined channel was seen playing for the first time (its sent flag is set afterwards).
  std::function<void(int row, int channel_index)> submit_user_channel;
  // The player failed on the selected channel, after its message was closed.
  std::function<void(int row, int channel_index)> report_broken_channel;
};
