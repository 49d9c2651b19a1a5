#pragma once
#include "views/channel_list_state.h"

#include <QString>

// One Find Next of the find dialog.
struct SearchRequest {
  QString text;
  bool down = true;         // Down: towards the last row; Up: towards the first
  bool match_case = false;
};

// Looks for the request's text in the names of the first `row_count` rows of the list, starting at
// state.search_position and going in the request's direction without wrapping. On a hit answers
// the row and moves the search position past it (row + 1 going down, row - 1 going up); without
// one answers -1 and leaves the position alone. A start outside the list is brought back to its
// nearest end when the direction leads into the list; rows that do not exist are never examined.
// Without match case the letters of every script match in either case (Unicode case folding); the
// empty text is found nowhere.
int find_channel_row(ChannelListState& state, int row_count, const SearchRequest& request);

// The message shown when nothing is found: Could not find "text".
QString not_found_message(const QString& text);
