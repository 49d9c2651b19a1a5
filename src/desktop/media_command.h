#pragma once
#include <optional>

// What a media key or the desktop's player controls ask of the player.
enum class MediaCommand { Play, Pause, PlayPause, Stop, Next, Previous };

// The command of a media key of the keyboard (Qt::Key_MediaPlay ...), or none for any other key.
std::optional<MediaCommand> media_key_command(int key);

// The list row that Next or Previous moves to from the selected row (-1: none) in a list of
// row_count rows: with no selection Next starts at the first row and Previous at the last.
// Answers -1 at either end, where nothing happens; any other command answers -1 too.
int neighbour_row(MediaCommand command, int selected_row, int row_count);
