#include "settings/source_table_choice.h"

#include "catalogue/records.h"
#include "settings/settings_store.h"

#include <QSettings>

namespace {
const QString kCountryName = QStringLiteral("Sources/FilterCountry");
const QString kGenreName = QStringLiteral("Sources/FilterGenre");

void store_one(QSettings& settings, const QString& key, uint16_t id, const SourceNames& names) {
  const std::string* name = id >= kFirstSourceTableId ? names.name_of(id) : nullptr;
  if (name)
    settings.setValue(key, QString::fromStdString(*name));
  else
    settings.remove(key);
}

void restore_one(const QSettings& settings, const QString& key, uint16_t& id, SourceNames& names) {
  if (id < kFirstSourceTableId) return;
  const QString name = settings.value(key).toString();
  // An id of another run without its name stands for nothing.
  id = static_cast<uint16_t>(names.intern(name.toStdString()));
}
}  // namespace

void store_source_table_choice(const Catalogue& catalogue) {
  const SourceTables& tables = catalogue.source_tables;
  const ChannelFilter& filter = catalogue.filter;
  const auto settings = open_settings_file();
  const bool had = settings->contains(kCountryName) || settings->contains(kGenreName);
  if (!had && filter.country_id < kFirstSourceTableId && filter.genre_id < kFirstSourceTableId) return;
  change_settings_file(QStringLiteral("Filter"), [&](QSettings& file) {
    store_one(file, kCountryName, filter.country_id, tables.countries);
    store_one(file, kGenreName, filter.genre_id, tables.genres);
  });
}

void restore_source_table_choice(Catalogue& catalogue) {
  ChannelFilter& filter = catalogue.filter;
  if (filter.country_id < kFirstSourceTableId && filter.genre_id < kFirstSourceTableId) return;
  const auto settings = open_settings_file();
  restore_one(*settings, kCountryName, filter.country_id, catalogue.source_tables.countries);
  restore_one(*settings, kGenreName, filter.genre_id, catalogue.source_tables.genres);
}
