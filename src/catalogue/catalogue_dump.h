#pragma once
#include "catalogue/records.h"

#include <ostream>
#include <string>
#include <string_view>

// A text listing of a loaded catalogue, one record a line with TAB-separated fields:
//   version <stamp> <YYYY-MM-DD HH:MM:SS, empty when there is none>
//   country <index> <id> <name>            (table order)
//   genre <index> <id> <name>
//   channel <index> <id> <group_id> <favorited> <sent> <user_defined> <name> <url> <bitrate> <type_id>
//           <homepage> <country_id> <genre_id> <genre> <comment> <rating> <rated> <average_rating> <workfine>
//           <notworking> <wrong> <duplicate> <spam> <status>   (array order)
// Texts are UTF-8 with backslash, TAB, CR and LF written as \\ \t \r \n; real numbers in their
// shortest form that reads back to the same value.
void write_catalogue_dump(std::ostream& out, const Catalogue& catalogue);
void write_dump_error(std::ostream& out, std::string_view message);  // "error" TAB message

// Loads the file's bytes into a freshly reset catalogue with no favourites and no user channels
// and writes the listing; after a failed load, what was loaded and then the error line. Answers
// the exit code: 0 when the load succeeded, 1 when it failed.
int dump_channel_file(std::ostream& out, std::string bytes);

std::string escape_dump_text(std::string_view utf8);
std::string format_shortest(double value);
std::string format_serial_date_time(double serial);  // empty for 0
