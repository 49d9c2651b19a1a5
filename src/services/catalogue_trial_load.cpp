#include "services/catalogue_trial_load.h"

#include "catalogue/channel_database.h"
#include "catalogue/lookups.h"

#include <exception>
#include <utility>

Catalogue catalogue_to_load(const Catalogue& current) {
  // Everything but the loaded tables, so that reset_catalogue alone decides what a load keeps.
  Catalogue next;
  next.version_stamp = current.version_stamp;
  next.version_time = current.version_time;
  next.filter = current.filter;
  next.highest_user_id = current.highest_user_id;
  next.favorites = current.favorites;
  next.rated_ids = current.rated_ids;
  next.flagged_ids = current.flagged_ids;
  next.app_data = current.app_data;
  next.user_files_loaded = current.user_files_loaded;
  next.user_files_held_elsewhere = current.user_files_held_elsewhere;
  reset_catalogue(next);
  return next;
}

QString trial_load_catalogue(Catalogue& into, std::string bytes) {
  try {
    load_channel_database_bytes(into, {}, std::move(bytes));
  } catch (const std::exception& error) {
    const QString reason = QString::fromUtf8(error.what());
    return reason.isEmpty() ? QStringLiteral("it cannot be read") : reason;
  }
  if (into.version_stamp.empty() && into.channels.empty() && into.countries.empty() && into.genres.empty())
    return QStringLiteral("it holds no channel list");
  return {};
}
