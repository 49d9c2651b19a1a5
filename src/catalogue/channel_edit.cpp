#include "catalogue/channel_edit.h"

#include "catalogue/channel_sources.h"
#include "catalogue/code_page.h"
#include "catalogue/lookups.h"
#include "catalogue/strict_number.h"
#include "catalogue/user_file_reading.h"

#include <string>

namespace {
bool only_digits(const QString& text) {
  for (QChar c : text)
    if (c < u'0' || c > u'9') return false;
  return true;
}

std::string ascii_upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

ShortText first_genre_name(const std::vector<Genre>& genres, int32_t id) {
  for (const Genre& g : genres)
    if (g.id == id) return g.name;
  return {};
}

template <typename Row>
QString first_name_with_id(const std::vector<Row>& rows, int32_t id) {
  for (const Row& row : rows)
    if (row.id == id) return row.name.text();
  return {};
}

// Entry 0 reads "-----" by now, so a name that matches nothing falls back to "no choice".
int entry_index(const QStringList& entries, const QString& text) {
  const qsizetype i = entries.indexOf(text);
  return i < 0 ? 0 : static_cast<int>(i);
}

struct TextField {
  const char* label;
  const QString* text;
};

// How a character is named in a message: itself in quotes, or its code when it would not show.
QString character_name(char32_t c) {
  const QString text = QString::fromUcs4(&c, 1);
  // Marks would join the quote before them; spaces and controls show nothing.
  const bool shows = QChar::isPrint(c) && !QChar::isMark(c) && !QChar::isSpace(c) && !QChar::isSurrogate(c);
  if (shows) return QStringLiteral("\"%1\"").arg(text);
  return QStringLiteral("U+") + QString::number(static_cast<uint>(c), 16).toUpper().rightJustified(4, u'0');
}

// "A", "A and B", "A, B and C"; past a handful, the rest are counted.
QString list_of_names(const std::vector<char32_t>& characters) {
  constexpr size_t kNamed = 8;
  QStringList names;
  for (size_t i = 0; i < characters.size() && i < kNamed; ++i) names << character_name(characters[i]);
  if (characters.size() > kNamed) names << QStringLiteral("%1 others").arg(characters.size() - kNamed);
  if (names.size() == 1) return names.front();
  const QString last = names.takeLast();
  return names.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

std::optional<QString> refusal_for_text(const char* label, const QString& text) {
  // The user channel file separates fields with "|" and channels with line ends, and a NUL ends
  // what its reader takes of a line.
  if (text.contains(u'|'))
    return QStringLiteral("The character \"|\" cannot be used in the %1 field. Please remove it.").arg(QLatin1String(label));
  if (text.contains(u'\n') || text.contains(u'\r'))
    return QStringLiteral("The %1 field must be a single line.").arg(QLatin1String(label));
  if (text.contains(QChar(u'\0')))
    return QStringLiteral("The NUL character cannot be used in the %1 field. Please remove it.").arg(QLatin1String(label));
  // The file is written in Windows-1252; anything else would come back as "?".
  const std::vector<char32_t> outside = characters_outside_cp1252(text);
  if (!outside.empty())
    return QStringLiteral("The %1 %2 cannot be used in the %3 field: your channels are stored with Western European "
                          "characters only (Windows-1252). Please remove %4.")
        .arg(outside.size() == 1 ? QStringLiteral("character") : QStringLiteral("characters"), list_of_names(outside),
             QLatin1String(label), outside.size() == 1 ? QStringLiteral("it") : QStringLiteral("them"));
  return std::nullopt;
}
}  // namespace

QString trim_text(const QString& text) {
  qsizetype from = 0;
  qsizetype to = text.size();
  while (from < to && text[from].unicode() <= 0x20) ++from;
  while (to > from && text[to - 1].unicode() <= 0x20) --to;
  return text.mid(from, to - from);
}

std::optional<QString> validate_channel_fields(const ChannelFields& f) {
  if (f.category_index <= 0) return QStringLiteral("Please Select a Category.");
  if (trim_text(f.name).isEmpty()) return QStringLiteral("Please Enter Name.");
  if (trim_text(f.url).isEmpty()) return QStringLiteral("Please Enter URL.");
  if (f.type_index <= 0) return QStringLiteral("Please Select a Type.");
  if (f.country_index <= 0) return QStringLiteral("Please Select a Country.");
  if (f.genre_index <= 0) return QStringLiteral("Please Select a Genre.");

  const TextField texts[] = {{"Name", &f.name}, {"URL", &f.url}, {"Bitrate", &f.bitrate},
                             {"Homepage", &f.homepage}, {"Comment", &f.comment}};
  for (const TextField& t : texts)
    if (auto refusal = refusal_for_text(t.label, trim_text(*t.text))) return refusal;

  const QString bitrate = trim_text(f.bitrate);
  if (!only_digits(bitrate)) return QStringLiteral("The Bitrate must be a whole number made of digits only.");
  if (!bitrate.isEmpty() && !parse_int32(QStringView(bitrate))) return QStringLiteral("The Bitrate is too large: the largest value is 2147483647.");
  return std::nullopt;
}

int32_t bitrate_from_field(const QString& text) {
  const QString bitrate = trim_text(text);
  return parse_int32(QStringView(bitrate)).value_or(0);
}

std::optional<QString> duplicate_url_message(const Catalogue& catalogue, const QString& url_field) {
  const std::string wanted = ascii_upper(trim_text(url_field).toUtf8().toStdString());
  for (const Channel& channel : catalogue.channels)
    if (rules_of(channel).refuses_duplicate_address && ascii_upper(channel.url.str()) == wanted)
      return QStringLiteral("A duplicate value was detected. ") + channel.name.text();
  return std::nullopt;
}

Channel channel_with_fields(const Catalogue& catalogue, const ChannelFields& f, Channel c) {
  c.group_id = f.category_index;
  c.name = ShortText::from_text(trim_text(f.name));
  c.url = to_packed(trim_text(f.url));
  c.bitrate = bitrate_from_field(f.bitrate);
  // Both player entries stand for the one embedded player.
  c.type_id = 1;
  c.homepage = to_packed(trim_text(f.homepage));
  c.country_id = country_id_by_name(catalogue.countries, f.country_name);
  c.genre_id = genre_id_by_name(catalogue.genres, f.genre_name);
  c.genre = first_genre_name(catalogue.genres, c.genre_id);
  c.comment = to_packed(trim_text(f.comment));
  return c;
}

std::optional<QString> add_user_channel(Catalogue& catalogue, const ChannelFields& fields) {
  if (auto error = validate_channel_fields(fields)) return error;
  if (auto duplicate = duplicate_url_message(catalogue, fields.url)) return duplicate;

  // Reading keeps highest_user_id at or below the highest id, so the next one never wraps round.
  if (catalogue.highest_user_id >= kHighestUserChannelId)
    return QStringLiteral("No new channel can be added: your channels already use the highest id a channel may "
                          "have (%1).")
        .arg(kHighestUserChannelId);

  Channel fresh;
  fresh.id = catalogue.highest_user_id + 1;
  fresh.user_defined = 1;
  fresh = channel_with_fields(catalogue, fields, std::move(fresh));
  catalogue.channels.push_back(std::move(fresh));
  catalogue.highest_user_id += 1;
  return std::nullopt;
}

const Channel* channel_to_rewrite(const Catalogue& catalogue, int position, int32_t id) {
  if (position < 0 || static_cast<size_t>(position) >= catalogue.channels.size()) return nullptr;
  const Channel& channel = catalogue.channels[static_cast<size_t>(position)];
  return channel.user_defined == 1 && channel.id == id ? &channel : nullptr;
}

std::optional<QString> rewrite_user_channel(Catalogue& catalogue, int position, int32_t id, const ChannelFields& fields) {
  if (auto error = validate_channel_fields(fields)) return error;
  if (!channel_to_rewrite(catalogue, position, id)) return QStringLiteral("The channel to update no longer exists.");
  Channel& channel = catalogue.channels[static_cast<size_t>(position)];
  channel = channel_with_fields(catalogue, fields, channel);
  return std::nullopt;
}

ChannelFields fields_from_channel(const Catalogue& catalogue, const Channel& channel, const QStringList& country_entries,
                                  const QStringList& genre_entries) {
  ChannelFields f;
  f.category_index = channel.group_id >= 0 && channel.group_id <= 3 ? channel.group_id : 0;
  f.type_index = channel.type_id >= 0 && channel.type_id <= 2 ? channel.type_id : 0;
  f.country_index = entry_index(country_entries, trim_text(first_name_with_id(catalogue.countries, channel.country_id)));
  f.country_name = country_entries.value(f.country_index);
  f.genre_index = entry_index(genre_entries, trim_text(first_name_with_id(catalogue.genres, channel.genre_id)));
  f.genre_name = genre_entries.value(f.genre_index);
  f.name = channel.name.text();
  f.url = to_qstring(channel.url);
  f.bitrate = QString::number(channel.bitrate);
  f.homepage = to_qstring(channel.homepage);
  f.comment = to_qstring(channel.comment);
  return f;
}

QString catalogue_channel_message(const QString& support_mail) {
  return QStringLiteral("You can only delete or modify the user-defined channels, but you can send us updates, "
                        "corrections by email ") +
         support_mail +
         QStringLiteral(".  Update will automatically update your channels over the next several days with the "
                        "requisites updates.");
}
