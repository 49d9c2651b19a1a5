#pragma once
#include "catalogue/records.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <vector>

// Reading the content of favorites.dat and userdef.dat, apart from the files themselves: what a
// content holds and what in it could not be read. No file is touched and nothing is shown here.

// The highest id a channel of the user's may carry. New channels count up from the highest id on
// file, so an id near the top of the 32-bit range would leave no room for the next one; no id this
// program hands out comes anywhere near it, so a higher one can only come from a damaged or
// hand-made line, which is set aside like any other unreadable line.
inline constexpr int32_t kHighestUserChannelId = 999'999'999;

// What could not be read in a user file: the first failing line with its reason, and how many lines
// failed in all.
struct UserFileProblem {
  int first_line = 0;  // 1-based; 0 when the file as a whole could not be read
  QString reason;
  int bad_lines = 0;

  bool any() const { return !reason.isEmpty(); }
  void note(int line, const QString& why);
  // "line 3 is empty (2 lines in all could not be read)", or the reason alone for the whole file.
  QString where() const;
};

// Splits a user file's content into lines after decoding it (byte-order mark, else Windows-1252).
// Lines end at CR LF, a lone CR or a lone LF; a line end at the very end adds no empty line.
QStringList user_file_lines(const QByteArray& content);

struct FavoritesContent {
  std::vector<int32_t> ids;  // the readable lines, in file order
  UserFileProblem problem;
};
FavoritesContent read_favorites_content(const QByteArray& content);

struct UserChannelsContent {
  std::vector<Channel> channels;  // the readable lines, in file order, user_defined 1
  // The highest id on any line, readable or not, that a channel may carry; nothing when no line has
  // one. Ids on lines that could not be read count too: such a line, repaired and put back, must not
  // meet a channel added in the meantime with its id.
  std::optional<int32_t> highest_id;
  UserFileProblem problem;
};
// favorites marks the channels read; genres gives them their genre names where the table has them.
UserChannelsContent read_user_channels_content(const QByteArray& content, const std::vector<int32_t>& favorites,
                                               const std::vector<Genre>& genres);

// The id a line of userdef.dat starts with, when it is one a channel of the user's may carry.
std::optional<int32_t> user_line_id(QStringView line);
