#pragma once
#include "catalogue/records.h"
#include "catalogue/user_file_reading.h"

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

class QWidget;

// favorites.dat (one channel id per line) and userdef.dat (one channel of the user's per line,
// eleven fields joined with "|"), beside the channel database in the catalogue folder.
//
// A file that cannot be read is moved aside to <name>.bad (or <name>.bad.2 and so on when that
// exists), the user is told which file, which line and where the copy went, and the program goes
// on with what could be read. When the file cannot be moved aside, the user files are not written
// at close, so nothing stored is lost.

// Reads favorites.dat into the favourites id list. A missing file means no favourites.
void load_favorites(Catalogue& catalogue, QWidget* parent = nullptr);
// Appends the channels of userdef.dat to the channel array, raises highest_user_id to the highest id on its
// lines and on those of the copies set aside earlier (userdef.dat.bad...), marks favourites from the
// id list and gives each channel its genre name from the genre table as
// it stands (see resolve_user_channel_genres).
void load_user_channels(Catalogue& catalogue, QWidget* parent = nullptr);
// Start-up and every reload, right after reset_catalogue: favorites.dat unless it was read earlier
// in this run (a reload keeps the list), then userdef.dat. From then on both files count as read and
// are written at close.
void load_user_files(Catalogue& catalogue, QWidget* parent = nullptr);
// Gives the user's channels the names of their genres once the genre table is there; the channel
// database load calls for this after reading the genre table, and calling it again does no harm.
void resolve_user_channel_genres(Catalogue& catalogue);

// The file contents as written: Windows-1252, CR LF after every line.
//
// While the catalogue holds channels of the channel database, favorites.dat lists the marked
// channels in array order, so an id that marks no channel goes. Without them (the database is
// missing, did not load or holds no channel) nothing can tell a stale id from a channel that is
// merely not loaded, so every id of the favourites id list stays, followed by marked channels of
// the user's that the list lacks.
std::string favorites_file_text(const Catalogue& catalogue);
std::string userdef_file_text(const Catalogue& catalogue);

// Writes favorites.dat, then userdef.dat, each whole or not at all; files never read in this run, or
// held by another copy of the program, are left as they are. Answers one line (file: reason) per file that could not be written; the old
// file is then unchanged. A reload after a download can call this first, so that channels added,
// edited or removed in the run survive it.
QStringList write_user_files(const Catalogue& catalogue);

// The same in two steps, so that the writing (which waits for the disk) can run on another thread
// than the catalogue's: what write_user_files would write, taken from the catalogue, then written.
struct UserFileTexts {
  bool write = false;  // false when the files were never read in this run or are another copy's: left as they are
  QString app_data;
  std::string favorites;
  std::string userdef;
};
UserFileTexts user_file_texts(const Catalogue& catalogue);
QStringList write_user_file_texts(const UserFileTexts& texts);
// The close query (save_before_close): write_user_files, and on a failure the user is told which file
// and why and asked whether to close anyway. Answers true when the window may close.
bool save_user_files(Catalogue& catalogue, QWidget* parent = nullptr);
// The same with the texts already taken (a million channels take a noticeable moment to write out).
bool save_user_file_texts(const UserFileTexts& texts, QWidget* parent = nullptr);

// Index of the first channel with that id, or -1.
int find_channel_by_id(const Catalogue& catalogue, int32_t id);
// The name of the channel at this position of the channel array; empty for a position outside it.
QString channel_name_at(const Catalogue& catalogue, int position);
// Makes the channel at this position a favourite or not; keeps the favourites id list in step so a
// reload marks the same channels. Answers true when the view must be rebuilt (a favourite was
// removed).
bool set_favorite(Catalogue& catalogue, int position, bool on);

// The context menu commands on the selected row's channel, given by its position in the channel
// array (-1 when no row is selected), each after a Yes to its question. They answer true when the
// view must be rebuilt.
bool add_to_favorites(Catalogue& catalogue, int position, QWidget* parent = nullptr);
bool remove_from_favorites(Catalogue& catalogue, int position, QWidget* parent = nullptr);
bool remove_user_channel(Catalogue& catalogue, int position, QWidget* parent = nullptr);
