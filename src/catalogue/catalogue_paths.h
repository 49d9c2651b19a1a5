#pragma once
#include <QString>

// The user's data folder ($XDG_DATA_HOME, else ~/.local/share), without a trailing separator.
QString app_data_folder();

// The catalogue folder and its files under a data folder.
QString catalogue_folder(const QString& app_data);  // ends with '/'
QString channels_path(const QString& app_data);
QString favorites_path(const QString& app_data);
QString userdef_path(const QString& app_data);

// Creates the catalogue folder with its parents; a failure shows up at the following open.
void ensure_catalogue_folder(const QString& app_data);
