#pragma once
#include "desktop/media_command.h"
#include "shell/app_state.h"

#include <QString>

#include <functional>

// What the main window's controls ask for: one entry per command, button, menu entry and player
// event. The window owns its controls and the presentation and fills none of these itself;
// shell/command_wiring.cpp is the table that says what each one does. An empty entry leaves its
// command inert: the control is there and does nothing.
struct MainWindowHooks {
  // --- Program life --------------------------------------------------------------------------
  // The start-up catalogue load (reset, user files, database, staleness, settings, sort, rebuild).
  std::function<void()> load_catalogue;
  // The close query: writes the user files; answers whether the window may close.
  std::function<bool()> save_before_close;
  // The window became active or inactive (the download question while the catalogue is outdated).
  std::function<void(bool active)> activation_changed;

  // --- View buttons, country list, column headers, search, filter -----------------------------
  // Refills the country and genre lists of the filter and add/update dialogs (rebuild step).
  std::function<void()> refill_dialog_lists;
  std::function<void()> show_tv;
  std::function<void()> show_radio;
  std::function<void()> show_video;
  std::function<void()> show_favorites;
  std::function<void()> clear_filter;
  std::function<void(int entry)> choose_country;   // entry chosen in the country list, by the user
  std::function<void()> open_filter_dialog;
  std::function<void(int column)> sort_by_column;  // a click on a column header
  std::function<void()> search;                    // the Search button and Ctrl+F
  std::function<void()> find_next;                 // the find dialog's Find Next

  // --- The context menu of the selected row, download, channels of one's own, links ----------
  // The row ones are given the selected row of the list (-1 when none).
  std::function<void()> watch;  // Watch/Listen, and a double click on a row
  std::function<void()> play_key;  // Enter or Return on the list with a row selected
  std::function<void()> menu_key;  // the Menu key or Shift+F10 on the list
  std::function<void()> open_homepage;
  std::function<void(int row)> add_to_favorites;
  std::function<void(int row)> remove_from_favorites;
  std::function<void(int row)> remove_channel;
  std::function<void(int row)> update_channel;
  std::function<void(int row, int stars)> rate;             // 5 to 1
  std::function<void(int row, const QString& word)> flag;  // "ok", "bad", "wrong", "duplicate", "spam"
  std::function<void()> add_channel;         // add a channel of one's own
  std::function<void()> download_catalogue;  // download the catalogue again
  std::function<void()> open_site;           // the site and mail links under the list
  std::function<void()> open_mail;

  // --- Player ------------------------------------------------------------------------------
  // Loads the channel of a list row without playing it; -1 unloads and stops. Left empty: no
  // player exists, and the selection touches only the label and the buttons.
  std::function<void(int row)> load_row;
  std::function<void()> play;
  std::function<void()> pause;
  std::function<void()> fullscreen;
  std::function<void()> video_double_clicked;  // in the window; in full screen the video leaves by itself
  // The window is closing: the video comes back from full screen, whose window would otherwise
  // stay open on its own and keep the program running.
  std::function<void()> leave_fullscreen;
  std::function<void()> mute;
  std::function<void()> unmute;
  std::function<void()> record;  // the record button: starts or ends recording the playing stream
  std::function<void()> favorite_button_clicked;  // the star; the window shows the outcome itself
  std::function<void(int x)> set_volume_at;  // x in the volume control's own coordinates
  std::function<void(int delta)> step_volume;  // the keyboard's: arrows on the volume control, volume keys
  // A media key of the keyboard (play, pause, play/pause, stop, next, previous) in the window or
  // its full-screen video.
  std::function<void(MediaCommand)> media_key;

  // --- Feedback, from the player's events ----------------------------------------------------
  // A user-defined channel was seen playing for the first time (its sent flag is set afterwards).
  std::function<void(int row, int channel_index)> submit_user_channel;
  // The player failed on the selected channel, after its message was closed.
  std::function<void(int row, int channel_index)> report_broken_channel;
};
