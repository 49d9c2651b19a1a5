#include "views/filter_logic.h"

#include "catalogue/lookups.h"
#include "catalogue/strict_number.h"

namespace {
// A criterion chosen from a table (country, genre): switched on with a row chosen, the row's id is
// kept in the filter and stored beside the switch; switched off, only the switch goes from the
// store. Switched on with all of the table chosen it goes off as well, and the id with it.
void take_table_choice(bool on, std::optional<int32_t> id, bool& flag, uint16_t& field, const QString& value,
                       std::vector<StoreWrite>& writes) {
  flag = on && id;
  if (!flag) {
    if (on) field = 0;
    writes.push_back(StoreWrite::remove(value + QStringLiteral("_f")));
    return;
  }
  field = static_cast<uint16_t>(*id);
  writes.push_back(StoreWrite::integer(value + QStringLiteral("_f"), 1));
  writes.push_back(StoreWrite::integer(value, *id));
}
}  // namespace

const std::array<QString, 6>& status_value_names() {
  static const std::array<QString, 6> names = {
      QStringLiteral("workfine"), QStringLiteral("notworking"), QStringLiteral("new"),
      QStringLiteral("wrong"),    QStringLiteral("duplicate"),  QStringLiteral("spam")};
  return names;
}

FilterChoices filter_choices_from(const Catalogue& catalogue) {
  const ChannelFilter& f = catalogue.filter;
  FilterChoices c;
  c.name_on = f.name_flag;
  c.name_text = f.name;
  c.country_on = f.country_flag;
  c.country_index = country_index_by_id(catalogue.countries, f.country_id);
  c.genre_on = f.genre_flag;
  c.genre_index = genre_index_by_id(catalogue.genres, f.genre_id);
  c.bitrate_on = f.bitrate_flag;
  c.bitrate_text = QString::number(f.bitrate);
  c.status_on = f.status_flag;
  c.statuses = {f.workfine, f.notworking, f.new_, f.wrong, f.duplicate, f.spam};
  return c;
}

QString invalid_bitrate_message(const QString& text) {
  return QStringLiteral("'%1' is not a valid integer value for the bitrate.").arg(text);
}

std::variant<FilterUpdate, QString> plan_set_filter(const Catalogue& catalogue, const FilterChoices& c) {
  std::optional<int32_t> bitrate;
  if (c.bitrate_on) {
    bitrate = parse_int32(QStringView(c.bitrate_text));
    if (!bitrate) return invalid_bitrate_message(c.bitrate_text);
  }

  FilterUpdate u{catalogue.filter, {}};
  ChannelFilter& f = u.filter;
  auto& w = u.writes;

  f.name_flag = c.name_on;
  if (c.name_on) {
    f.name = c.name_text;  // as typed: a leading space is part of the fragment
    w.push_back(StoreWrite::integer(QStringLiteral("name_f"), 1));
    w.push_back(StoreWrite::string(QStringLiteral("name"), c.name_text));
  } else {
    w.push_back(StoreWrite::remove(QStringLiteral("name_f")));
  }

  take_table_choice(c.country_on, chosen_country_id(catalogue.countries, c.country_index), f.country_flag,
                    f.country_id, QStringLiteral("country"), w);
  take_table_choice(c.genre_on, chosen_genre_id(catalogue.genres, c.genre_index), f.genre_flag, f.genre_id,
                    QStringLiteral("genre"), w);

  f.bitrate_flag = c.bitrate_on;
  if (c.bitrate_on) {
    f.bitrate = *bitrate;
    w.push_back(StoreWrite::integer(QStringLiteral("bitrate_f"), 1));
    w.push_back(StoreWrite::integer(QStringLiteral("bitrate"), *bitrate));
  } else {
    w.push_back(StoreWrite::remove(QStringLiteral("bitrate_f")));
  }

  f.status_flag = c.status_on;
  if (c.status_on) {
    f.workfine = c.statuses[0];
    f.notworking = c.statuses[1];
    f.new_ = c.statuses[2];
    f.wrong = c.statuses[3];
    f.duplicate = c.statuses[4];
    f.spam = c.statuses[5];
    w.push_back(StoreWrite::integer(QStringLiteral("flag_f"), 1));
    for (size_t i = 0; i < 6; ++i) w.push_back(StoreWrite::integer(status_value_names()[i], c.statuses[i] ? 1 : 0));
  } else {
    w.push_back(StoreWrite::remove(QStringLiteral("flag_f")));
  }
  return u;
}
