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
// Throws CatalogueError when the file cannot be read, the stamp is not twelve digits of a valid
// date and time, a line is too long, has too few fields or holds a field that is no valid number,
// a member cannot be inflated or fails its CRC, or the file expands to far more than a real
// catalogue of its size (LoadAllowance). What was loaded before the failure stays in info, except
// that a member that cannot be inflated or fails its CRC leaves nothing of itself. Each member is
// read as it is inflated, through a buffer of a fixed size.
void load_channel_database(Catalogue& catalogue, const std::vector<int32_t>& favorites, const QString& app_data);

// The same from the file's bytes in memory, e.g. a downloaded catalogue tried before it replaces
// the file.
void load_channel_database_bytes(Catalogue& catalogue, const std::vector<int32_t>& favorites, std::string bytes);
