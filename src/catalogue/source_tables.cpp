#include "catalogue/source_tables.h"

#include "catalogue/channel_sources.h"
#include "catalogue/records.h"

#include <QLocale>

#include <algorithm>

namespace {
std::string folded(const QString& name) { return name.toCaseFolded().toStdString(); }

size_t slot_of(int32_t id) { return static_cast<size_t>(id - kFirstSourceTableId); }

// The name's own id behind an id a channel carries: ids of the list that are a catalogue row go
// back to the name that was matched to it.
int32_t own_id_of(const SourceNames& names, int32_t id) {
  if (id == 0) return 0;
  return id >= kFirstSourceTableId ? id : names.own_id(id);
}

template <typename Row>
void match_rows(SourceNames& names, std::vector<Row>& rows, size_t& own_rows) {
  if (own_rows == std::string::npos) own_rows = rows.size();
  rows.resize(std::min(own_rows, rows.size()));
  std::vector<QString> row_names;
  std::vector<int32_t> row_ids;
  row_names.reserve(rows.size());
  row_ids.reserve(rows.size());
  for (const Row& row : rows) {
    row_names.push_back(row.name.text());
    row_ids.push_back(row.id);
  }
  names.match(row_names, row_ids);
}

// Rows for the names in use that the catalogue lacks, sorted by name, behind its own.
template <typename Row>
void append_rows(const SourceNames& names, const std::vector<bool>& used, std::vector<Row>& rows, const char* all) {
  std::vector<std::pair<QString, int32_t>> added;
  for (size_t i = 0; i < used.size(); ++i) {
    const int32_t id = kFirstSourceTableId + static_cast<int32_t>(i);
    if (used[i] && names.effective(id) == id) added.emplace_back(QString::fromStdString(*names.name_of(id)), id);
  }
  if (added.empty()) return;
  std::sort(added.begin(), added.end(), [](const auto& a, const auto& b) {
    const int order = QString::compare(a.first, b.first, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a.second < b.second;
  });
  // The first row of a table stands for all of them in the window's country list.
  if (rows.empty()) rows.push_back(Row{0, ShortText::from_text(QString::fromLatin1(all))});
  for (const auto& [name, id] : added) rows.push_back(Row{id, ShortText::from_utf8(name.toStdString())});
}

void follow(uint16_t& filter_id, const SourceNames& names) {
  if (filter_id < kFirstSourceTableId) return;
  filter_id = static_cast<uint16_t>(names.effective(filter_id));
}
}  // namespace

int32_t SourceNames::intern(std::string_view name) {
  // Kept as the tables show names: at most a short text's bytes.
  const QString text = ShortText::from_utf8(name).text().trimmed();
  if (text.isEmpty()) return 0;
  std::string key = folded(text);
  if (const auto found = by_folded_name_.find(key); found != by_folded_name_.end()) return found->second;
  if (names_.size() >= kMaxSourceTableNames) return 0;
  const int32_t id = kFirstSourceTableId + static_cast<int32_t>(names_.size());
  names_.push_back(text.toStdString());
  effective_.push_back(id);
  by_folded_name_.emplace(std::move(key), id);
  return id;
}

const std::string* SourceNames::name_of(int32_t id) const {
  if (id < kFirstSourceTableId || slot_of(id) >= names_.size()) return nullptr;
  return &names_[slot_of(id)];
}

int32_t SourceNames::effective(int32_t id) const {
  if (id < kFirstSourceTableId) return id;  // the catalogue's own, or none
  return slot_of(id) < effective_.size() ? effective_[slot_of(id)] : 0;
}

int32_t SourceNames::own_id(int32_t listed_id) const {
  const auto found = own_of_catalogue_id_.find(listed_id);
  return found == own_of_catalogue_id_.end() ? 0 : found->second;
}

void SourceNames::match(const std::vector<QString>& names, const std::vector<int32_t>& ids) {
  for (size_t i = 0; i < effective_.size(); ++i) effective_[i] = kFirstSourceTableId + static_cast<int32_t>(i);
  own_of_catalogue_id_.clear();
  for (size_t row = 0; row < names.size() && row < ids.size(); ++row) {
    // Ids in the range of the names' own would be read back as theirs; such a row is not matched.
    if (ids[row] <= 0 || ids[row] >= kFirstSourceTableId) continue;
    const auto found = by_folded_name_.find(folded(names[row].trimmed()));
    if (found == by_folded_name_.end()) continue;
    int32_t& effective = effective_[slot_of(found->second)];
    if (effective != found->second) continue;  // the first row of a name is the one
    effective = ids[row];
    own_of_catalogue_id_.emplace(ids[row], found->second);
  }
}

QString country_name_of(std::string_view tvg_country, std::string_view tvg_language) {
  const auto first_of = [](std::string_view list) {
    const size_t end = std::min(list.find_first_of(";,"), list.size());
    return QString::fromUtf8(list.data(), static_cast<qsizetype>(end)).trimmed();
  };
  const QString country = first_of(tvg_country);
  if (!country.isEmpty()) {
    // ISO 3166 codes; "UK", which lists use as often as "GB", is not one.
    const QString code = country.compare(QLatin1String("UK"), Qt::CaseInsensitive) == 0 ? QStringLiteral("GB") : country;
    if (code.size() == 2) {
      const QLocale::Territory territory = QLocale::codeToTerritory(code.toUpper());
      if (territory != QLocale::AnyTerritory) return QLocale::territoryToString(territory);
    }
    return country;
  }
  const QString language = first_of(tvg_language);
  if (language.isEmpty()) return {};
  // A language gives the country where it is chiefly spoken ("Ukrainian" gives Ukraine).
  static const std::unordered_map<std::string, QLocale::Language> by_name = [] {
    std::unordered_map<std::string, QLocale::Language> map;
    for (int l = QLocale::C + 1; l <= QLocale::LastLanguage; ++l) {
      const auto lang = static_cast<QLocale::Language>(l);
      map.emplace(folded(QLocale::languageToString(lang)), lang);
    }
    return map;
  }();
  const auto found = by_name.find(folded(language));
  if (found == by_name.end()) return {};
  const QLocale::Territory territory = QLocale(found->second).territory();
  return territory == QLocale::AnyTerritory ? QString() : QLocale::territoryToString(territory);
}

void attach_source_tables(Catalogue& catalogue) {
  SourceTables& tables = catalogue.source_tables;
  const auto named_by_source = [](const Channel& channel) { return rules_of(channel).country_and_genre_by_name; };
  for (Channel& channel : catalogue.channels) {
    if (!named_by_source(channel)) continue;
    channel.country_id = own_id_of(tables.countries, channel.country_id);
    channel.genre_id = own_id_of(tables.genres, channel.genre_id);
  }
  match_rows(tables.countries, catalogue.countries, tables.own_countries);
  match_rows(tables.genres, catalogue.genres, tables.own_genres);
  std::vector<bool> countries_used(tables.countries.size()), genres_used(tables.genres.size());
  for (Channel& channel : catalogue.channels) {
    if (!named_by_source(channel)) continue;
    if (channel.country_id >= kFirstSourceTableId && slot_of(channel.country_id) < countries_used.size())
      countries_used[slot_of(channel.country_id)] = true;
    if (channel.genre_id >= kFirstSourceTableId && slot_of(channel.genre_id) < genres_used.size())
      genres_used[slot_of(channel.genre_id)] = true;
    channel.country_id = tables.countries.effective(channel.country_id);
    channel.genre_id = tables.genres.effective(channel.genre_id);
  }
  append_rows(tables.countries, countries_used, catalogue.countries, "All Countries");
  append_rows(tables.genres, genres_used, catalogue.genres, "All Genres");
  follow(catalogue.filter.country_id, tables.countries);
  follow(catalogue.filter.genre_id, tables.genres);
}

void forget_catalogue_rows(SourceTables& tables) {
  tables.own_countries = std::string::npos;
  tables.own_genres = std::string::npos;
}
