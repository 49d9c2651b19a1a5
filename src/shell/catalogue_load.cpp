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
  TInfo& info = state.catalogue.info;
  try {
    load_channel_database(info, state.catalogue.favorites, state.app_data);
    resolve_user_channel_genres(info);
    return {};
  } catch (const std::exception& error) {
    // Whatever the database added is incomplete; the user's own channels stay.
    std::erase_if(info.channels, [](const TItem& item) { return item.usdef != 1; });
    info.stVersion.clear();
    info.dtVersion = 0;
    info.countries.clear();
    info.genres.clear();
    const QString text = QString::fromUtf8(error.what());
    return text.isEmpty() ? QStringLiteral("The channel list could not be read.") : text;
  }
}

std::optional<ViewUpdate> GetData(AppState& state, QWidget* parent, const BeforeRebuild& before,
                                  const QDateTime& now) {
  state.outdated = false;
  state.app_data = app_data_folder();
  const QString database = channels_path(state.app_data);
  if (!QFileInfo::exists(database)) {
    state.outdated = true;
    return std::nullopt;
  }

  reset_catalogue(state.catalogue);
  load_user_files(state, parent);
  const QString failure = load_database_keeping_user_channels(state);
  if (failure.isEmpty()) {
    state.outdated = catalogue_outdated(state.catalogue.info.dtVersion, now);
  } else {
    state.outdated = true;
    show_error(parent, QStringLiteral("The channel list could not be loaded:\n%1\n\nFile: %2\n\n"
                                      "The file was left as it is; you can download a fresh channel list.")
                           .arg(failure, QDir::toNativeSeparators(database)));
  }
  load_settings(state.catalogue.info.filter);
  sort_after_load(state);
  return rebuild_view(state, before);
}
