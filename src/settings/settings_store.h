#pragma once
#include "catalogue/records.h"

#include <QString>

#include <optional>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

class QSettings;

// The per-user settings: seventeen values under one key, kept in an INI file in the user's
// configuration folder. Every value is stored as text; numbers in decimal.

// The key path every caller passes.
inline const QString kSettingsKey = QStringLiteral("\\SOFTWARE\\Talvex\\Quovi\\");

// $XDG_CONFIG_HOME/Talvex/Quovi.conf, worked out afresh at every call. Other groups of settings
// (service addresses, links) live in the same file beside the key's values.
QString settings_file_path();
// The settings file opened in INI format; nothing is written until something is set.
std::unique_ptr<QSettings> open_settings_file();

// Applies a change to the settings file and writes it at once; every writer of the file goes through
// here. A file that cannot be read back exactly is first set aside (settings_file_aside.h). A write
// that cannot be stored is reported to the user (see SettingsWriteBatch) and answers false; "what"
// names the setting in that message.
bool change_settings_file(const QString& what, const std::function<void(QSettings&)>& change);

// The writers create the key when needed. A write that cannot be stored is reported to the user
// (see SettingsWriteBatch) and answers false.
bool write_integer_setting(const QString& key, const QString& value, int32_t data);
bool write_text_setting(const QString& key, const QString& value, const QString& data);
// Removing a value that is not there is no error.
bool delete_setting(const QString& key, const QString& value);

// A number stored for `value` under kSettingsKey; nothing when it is absent or not a number.
std::optional<int32_t> read_integer_setting(const QString& value);

// Reads the stored view and criteria into the filter. Only what the store holds overrides the
// filter: numbers above 0 (cut to the field's width), and "name" only while "name_f" is above 0. A
// value that is not text reads as absent. "selected" is taken from 0 to 65535 and read as absent
// otherwise; 0 restores the Favorites view only with "favorited" = 1, else the view is TV.
void load_settings(ChannelFilter& filter);

// While one of these lives it records every write and removal of a value asked of the store, in
// the order they are asked for: "value=data" for a write, "-value" for a removal. Tests read from
// it what a command stores and in which order.
class SettingsWriteLog {
 public:
  SettingsWriteLog();
  ~SettingsWriteLog();
  SettingsWriteLog(const SettingsWriteLog&) = delete;
  SettingsWriteLog& operator=(const SettingsWriteLog&) = delete;

  QStringList entries;

 private:
  SettingsWriteLog* outer_;
};

// While one of these lives, failed writes are collected and told to the user once, when the
// outermost batch ends; a command that writes several values thus shows at most one message.
// Without a batch every failing write shows its own message.
class SettingsWriteBatch {
 public:
  SettingsWriteBatch();
  ~SettingsWriteBatch();
  SettingsWriteBatch(const SettingsWriteBatch&) = delete;
  SettingsWriteBatch& operator=(const SettingsWriteBatch&) = delete;
};
