#pragma once
#include "catalogue/records.h"

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

// Reads the channel database of the catalogue folder under app_data into info, which the caller
// has reset and into which it has read the user-defined channels. Creates the catalogue folder
// first. Replaces the stamp and the country and genre tables where their members are present,
// gives the channels already present their genre names, and appends the TV, radio and video
// channels; favorites marks the favourite ids.
//
// A file that is no archive once decrypted (damaged or empty) loads nothing and is no error.
// Throws CatalogueError when the file cannot be read, a member cannot be inflated or fails its
// CRC, a line has too few fields or a field is no valid number, or the stamp is no date; what was
// loaded before the failure stays in info.
void load_channel_database(TInfo& info, const std::vector<int32_t>& favorites, const QString& app_data);

// The same from the file's bytes in memory, e.g. a downloaded catalogue tried before it replaces
// the file.
void load_channel_database_bytes(TInfo& info, const std::vector<int32_t>& favorites, std::string bytes);
