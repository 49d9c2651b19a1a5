#include "catalogue/user_file_reading.h"

#include "catalogue/code_page.h"
#include "catalogue/lookups.h"
#include "catalogue/strict_number.h"

#include <QStringDecoder>

#include <algorithm>

namespace {
// The field split shared with the channel database: every "|" separates, the text ends at its
// first NUL, and a single separator at the very end adds no empty field.
QList<QStringView> split_fields(QStringView line) {
  QList<QStringView> fields;
  const qsizetype nul = line.indexOf(QChar(u'\0'));
  if (nul >= 0) line = line.left(nul);
  qsizetype pos = 0;
  while (pos < line.size()) {
    const qsizetype bar = line.indexOf(u'|', pos);
    const qsizetype end = bar < 0 ? line.size() : bar;
    fields << line.mid(pos, end - pos);
    pos = bar < 0 ? line.size() : bar + 1;
  }
  return fields;
}

// Fills one channel from the fields of a line; answers why it cannot, or nothing.
std::optional<QString> fill_user_channel(const QList<QStringView>& f, const std::vector<int32_t>& favorites,
                                         const std::vector<Genre>& genres, Channel& item) {
  if (f.size() < 10) return QStringLiteral("has %1 fields instead of at least ten").arg(f.size());
  static constexpr struct {
    int index;
    const char* name;
  } kNumbers[] = {{0, "id"}, {1, "group"}, {2, "sent"}, {5, "bitrate"}, {6, "type"}, {8, "country"}, {9, "genre"}};
  int32_t n[10] = {};
  for (const auto& field : kNumbers) {
    const std::optional<int32_t> value = parse_int32(f[field.index]);
    if (!value) return QStringLiteral("has no number in its %1 field").arg(QLatin1String(field.name));
    n[field.index] = *value;
  }
  if (n[0] > kHighestUserChannelId)
    return QStringLiteral("has the id %1, above the highest id a channel of yours may have (%2)")
        .arg(n[0])
        .arg(kHighestUserChannelId);
  item.id = n[0];
  item.group_id = n[1];
  item.sent = n[2];
  item.favorited = is_favorite(favorites, item.id) ? 1 : 0;
  item.name = ShortText::from_text(f[3].left(254).toString());
  item.url = to_packed(f[4].toString());
  item.bitrate = n[5];
  item.type_id = n[6];
  item.homepage = to_packed(f[7].toString());
  item.country_id = n[8];
  item.genre_id = n[9];
  item.genre = ShortText::from_text(genre_name_by_id(item.genre_id, genres));
  if (f.size() > 10) item.comment = to_packed(f[10].toString());
  item.user_defined = 1;
  return std::nullopt;
}
}  // namespace

void UserFileProblem::note(int line, const QString& why) {
  if (!any()) {
    first_line = line;
    reason = why;
  }
  ++bad_lines;
}

QString UserFileProblem::where() const {
  if (first_line == 0) return reason;
  QString text = QStringLiteral("line %1 %2").arg(first_line).arg(reason);
  if (bad_lines > 1) text += QStringLiteral(" (%1 lines in all could not be read)").arg(bad_lines);
  return text;
}

QStringList user_file_lines(const QByteArray& content) {
  QString text;
  if (content.startsWith("\xEF\xBB\xBF")) {
    text = QString::fromUtf8(content.mid(3));
  } else if (content.startsWith("\xFF\xFE")) {
    text = QStringDecoder(QStringDecoder::Utf16LE).decode(content.mid(2));
  } else if (content.startsWith("\xFE\xFF")) {
    text = QStringDecoder(QStringDecoder::Utf16BE).decode(content.mid(2));
  } else {
    text = cp1252_to_qstring(std::string_view(content.constData(), static_cast<size_t>(content.size())));
  }
  QStringList lines;
  qsizetype start = 0;
  const qsizetype n = text.size();
  for (qsizetype k = 0; k < n; ++k) {
    const QChar c = text[k];
    if (c != u'\r' && c != u'\n') continue;
    lines << text.mid(start, k - start);
    if (c == u'\r' && k + 1 < n && text[k + 1] == u'\n') ++k;
    start = k + 1;
  }
  if (start < n) lines << text.mid(start);
  return lines;
}

FavoritesContent read_favorites_content(const QByteArray& content) {
  FavoritesContent result;
  const QStringList lines = user_file_lines(content);
  result.ids.reserve(static_cast<size_t>(lines.size()));
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const QString& line = lines[i];
    if (const std::optional<int32_t> id = parse_int32(line))
      result.ids.push_back(*id);
    else
      result.problem.note(static_cast<int>(i + 1),
                          line.isEmpty() ? QStringLiteral("is empty")
                                         : QStringLiteral("is not a channel id: \"%1\"").arg(line.left(40)));
  }
  return result;
}

std::optional<int32_t> user_line_id(QStringView line) {
  const QList<QStringView> fields = split_fields(line);
  if (fields.isEmpty()) return std::nullopt;
  const std::optional<int32_t> id = parse_int32(fields[0]);
  if (!id || *id > kHighestUserChannelId) return std::nullopt;
  return id;
}

UserChannelsContent read_user_channels_content(const QByteArray& content, const std::vector<int32_t>& favorites,
                                               const std::vector<Genre>& genres) {
  UserChannelsContent result;
  // No room is set aside per line: a file of nothing but line ends would ask for a record each.
  const QStringList lines = user_file_lines(content);
  const auto count = [&result](int32_t id) { result.highest_id = std::max(result.highest_id.value_or(id), id); };
  for (qsizetype i = 0; i < lines.size(); ++i) {
    Channel item;
    if (const std::optional<QString> why = fill_user_channel(split_fields(lines[i]), favorites, genres, item)) {
      result.problem.note(static_cast<int>(i + 1), *why);
      if (const std::optional<int32_t> id = user_line_id(lines[i])) count(*id);
      continue;
    }
    count(item.id);
    result.channels.push_back(std::move(item));
  }
  return result;
}
