#pragma once

// libmpv is opened at run time rather than linked: with the two hundred libraries it brings along,
// loading it costs about as much as the rest of the start-up before the window shows. The program
// is linked against the mpv_* functions below mpv_library.cpp, which open the library at their
// first call (the first of several threads waits for the others) and forward to it.
//
// start_opening_player_library() opens it on a second thread from the start of the program, while
// the application object and the windows are made; the presence check then finds it open.
void start_opening_player_library();

// Whether a libmpv was found and opened with every function the player calls; waits for an opening
// under way. Without one, mpv_client_api_version() answers 0 and mpv_create() nothing.
bool player_library_opened();
