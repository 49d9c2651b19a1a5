#pragma once
#include <QString>

#include <string>

// Loads downloaded catalogue bytes into scratch records, as the program would load them from
// channels.dat. Answers an empty text when they load cleanly, else why they do not: the loader's
// error, or that nothing at all could be read from them (the loader takes such a file for an
// empty catalogue, which must never replace a working one).
QString trial_load_catalogue(const std::string& bytes);
