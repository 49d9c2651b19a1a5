#include "shell/catalogue_load.h"

#include "catalogue/catalogue_paths.h"
#include "catalogue/channel_database.h"
#include "catalogue/lookups.h"
#include "catalogue/user_files.h"
#include "settings/settings_store.h"
#include "shell/outdated.h"
#include "views/sorting.h"
#include "widgets/messages.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <exception>

QString load_database_keeping_user_channels(AppState& state) {
  Catalogue& catalogue = state.catalogue;
  try {
    load_channel_database(catalogue, state.catalogue.favorites, state.catalogue.app_data);
    resolve_user_channel_genres(catalogue);
    return {};
  } catch (const std::exception& error) {
    // Whatever the database added is incomplete; the user's own channels stay.
    std::erase_if(catalogue.channels, [](const Channel& item) { return item.user_defined != 1; });
    catalogue.version_stamp.clear();
    catalogue.version_time = 0;
    catalogue.countries.clear();
    catalogue.genres.clear();
    const QString text = QString::fromUtf8(error.what());
    return text.isEmpty() ? QStringLiteral("The channel list could not be read.") : text;
  }
}

std::optional<ViewUpdate> load_catalogue(AppState& state, QWidget* parent, const BeforeRebuild& before,
                                  const QDateTime& now) {
  state.outdated = false;
  state.catalogue.app_data = app_data_folder();
  const QString database = channels_path(state.catalogue.app_data);
  if (!QFileInfo::exists(database)) {
    state.outdated = true;
    return std::nullopt;
  }

  reset_catalogue(state.catalogue);
  load_user_files(state.catalogue, parent);
  const QString failure = load_database_keeping_user_channels(state);
  if (failure.isEmpty()) {
    state.outdated = catalogue_outdated(state.catalogue.version_time, now);
  } else {
    state.outdated = true;
    show_error(parent, QStringLiteral("The channel list could not be loaded:\n%1\n\nFile: %2\n\n"
                                      "The file was left as it is; you can download a fresh channel list.")
                           .arg(failure, QDir::toNativeSeparators(database)));
  }
  load_settings(state.catalogue.filter);
  sort_after_load(state);
  return rebuild_view(state, before);
}
