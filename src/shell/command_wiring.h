#pragma once

class CatalogueReadAhead;
class CatalogueRefresh;
class ChannelDialog;
class FilterDialog;
class MainWindow;
class MprisService;
class PlayerControl;
class SessionEnd;

// What the main window's commands reach beyond the window and the program state. A part left out
// leaves its commands inert, so a test wires only what it looks at.
struct CommandTargets {
  PlayerControl* player = nullptr;
  FilterDialog* filter_dialog = nullptr;
  ChannelDialog* channel_dialog = nullptr;
  CatalogueRefresh* refresh = nullptr;  // the Update button and the download question
  SessionEnd* session_end = nullptr;    // the close query; without one the close writes the user files itself
  CatalogueReadAhead* read_ahead = nullptr;  // the channel database read begun at start, for the start-up load
  MprisService* mpris = nullptr;  // the desktop's player controls and media keys, on the session bus
};

// The table of commands: what every button, menu entry, list gesture and player event of the main
// window does, what the filter and channel dialogs do after their own buttons, and what the
// desktop's player controls ask. Fills every hook of the window, the two dialogs and the desktop's
// player, one line each.
void wire_commands(MainWindow& window, const CommandTargets& targets);
