#pragma once
#include "catalogue/records.h"

#include <QColor>
#include <QString>

// What one row of the channel list shows for its channel, made on demand when the list paints.
enum ChannelColumn { kColumnChannel = 0, kColumnGenre, kColumnRating, kColumnBitrate, kColumnComments, kColumnCount };

// The column captions, in column order.
QString column_caption(int column);

// A rating with exactly two decimals and "." whatever the locale; halves go away from zero.
QString format_rating(double value);

// Text of one cell; the empty text for a column out of range. The genre cell is empty when no
// genre row has the channel's genre id (the first row would name a genre the channel lacks).
QString cell_text(const Channel& channel, const std::vector<Genre>& genres, int column);

// Light green for user-defined channels, white for the others.
QColor row_background(const Channel& channel);

// The picture of a playlist's channel, after the six of the statuses.
inline constexpr int kPlaylistStatePicture = 6;
// The state picture of a row (0 to 5 by status, kPlaylistStatePicture for a playlist's channel), or
// -1 when the status has no picture.
int state_picture_index(const Channel& channel);
