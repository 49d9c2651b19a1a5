#include "services/catalogue_trial_load.h"

#include "catalogue/channel_database.h"
#include "catalogue/records.h"

#include <exception>

QString trial_load_catalogue(const std::string& bytes) {
  Catalogue scratch;
  try {
    load_channel_database_bytes(scratch, {}, bytes);
  } catch (const std::exception& error) {
    const QString reason = QString::fromUtf8(error.what());
    return reason.isEmpty() ? QStringLiteral("it cannot be read") : reason;
  }
  if (scratch.version_stamp.empty() && scratch.channels.empty() && scratch.countries.empty() && scratch.genres.empty())
    return QStringLiteral("it holds no channel list");
  return {};
}
