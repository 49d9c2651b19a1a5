#include "desktop/media_command.h"

#include <Qt>

std::optional<MediaCommand> media_key_command(int key) {
  switch (key) {
    case Qt::Key_MediaPlay: return MediaCommand::Play;
    case Qt::Key_MediaPause: return MediaCommand::Pause;
    case Qt::Key_MediaTogglePlayPause: return MediaCommand::PlayPause;
    case Qt::Key_MediaStop: return MediaCommand::Stop;
    case Qt::Key_MediaNext: return MediaCommand::Next;
    case Qt::Key_MediaPrevious: return MediaCommand::Previous;
    default: return std::nullopt;
  }
}

int neighbour_row(MediaCommand command, int selected_row, int row_count) {
  if (row_count <= 0) return -1;
  int row = -1;
  if (command == MediaCommand::Next)
    row = selected_row < 0 ? 0 : selected_row + 1;
  else if (command == MediaCommand::Previous)
    row = selected_row < 0 ? row_count - 1 : selected_row - 1;
  return row >= 0 && row < row_count ? row : -1;
}
