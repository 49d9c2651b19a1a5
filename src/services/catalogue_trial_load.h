#pragma once
#include "catalogue/records.h"

#include <QString>

#include <string>

// Every catalogue load fills a catalogue of its own, which replaces the program's catalogue only
// once the load has come through: the channel database is read apart from the user's files, on a
// worker thread, while the catalogue in use stays as it is. shell/catalogue_load.h puts the two
// together; the favourites are marked there, once the favourites id list is complete.

// An empty catalogue as reset_catalogue leaves `current`: the favourites id list, the data folder,
// the note that the user files were read and the filter's criteria carried over, nothing loaded.
Catalogue catalogue_to_load(const Catalogue& current);

// Loads downloaded catalogue bytes into `into` (from catalogue_to_load) as the program loads
// channels.dat. Answers an empty text when they load cleanly, else why they do not: the loader's
// error, or that nothing at all could be read from them (the loader takes such a file for an empty
// catalogue, which must never replace a working one). What loaded becomes the catalogue after the
// download: the bytes are not read a second time.
QString trial_load_catalogue(Catalogue& into, std::string bytes);
