#pragma once

class GuideHookup;
class MainWindow;

// Where the user left the windows: the main window's place, size and maximised state, the widths
// of the list's columns, and the guide window's place and size. Kept in the program's own group of
// the settings file and given back at the next start; a place no screen shows any more is not.
void restore_window_memory(MainWindow& window, GuideHookup& guide);
void save_window_memory(const MainWindow& window, const GuideHookup& guide);
