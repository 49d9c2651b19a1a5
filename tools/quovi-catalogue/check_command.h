#pragma once
#include <string>

// quovi-catalogue check FILE: loads the bytes of a channel database with the program's own loader
// (load_channel_database_bytes, as after a download) and answers one line: the channels of each
// group, the countries, the genres, the version stamp and how long the load took. Throws the
// loader's error when the load fails. A file that loads nothing at all (no archive once decrypted,
// or none of the members) fails too: the program raises no error for it, but shows an empty list.
std::string check_channel_file(std::string bytes);
