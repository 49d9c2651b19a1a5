#pragma once
#include <QString>

// What happened to a settings file that cannot be read back exactly (see settings_file_check.h).
struct SettingsFileAside {
  // False when the damaged file could not be moved aside: nothing may be written into it then, or
  // what it holds would be lost.
  bool may_write = true;
  // What the user must be told (the copy's name and the first bad line); empty for a sound file.
  QString message;
};

// Runs before every write to the settings file. A file that cannot be read back exactly is moved
// to <file>.bad (or .bad.2 and so on), and the lines that can be read are written as a new file in
// its place; the write then goes to the new file, so it neither carries the damage on nor loses the
// settings that stood behind it.
SettingsFileAside set_aside_unreadable_settings_file(const QString& path);
