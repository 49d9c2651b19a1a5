#include "catalogue/user_files.h"

#include "catalogue/aside_path.h"
#include "catalogue/catalogue_paths.h"
#include "catalogue/code_page.h"
#include "catalogue/lookups.h"
#include "catalogue/strict_number.h"
#include "widgets/messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>
#include <limits>
#include <optional>

namespace {
// Accepts a decimal 32-bit integer with an optional sign and nothing else.

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

// What went wrong while reading a user file.
struct ReadProblem {
  int first_line = 0;  // 1-based; 0 when the file as a whole could not be read
  QString reason;
  int bad_lines = 0;

  bool any() const { return !reason.isEmpty(); }
  void note(int line, const QString& why) {
    if (!any()) {
      first_line = line;
      reason = why;
    }
    ++bad_lines;
  }
  QString where() const {
    if (first_line == 0) return reason;
    QString text = QStringLiteral("line %1 %2").arg(first_line).arg(reason);
    if (bad_lines > 1) text += QStringLiteral(" (%1 lines in all could not be read)").arg(bad_lines);
    return text;
  }
};

struct ReadFile {
  bool exists = false;
  QStringList lines;
  ReadProblem problem;
};

ReadFile read_user_file(const QString& path) {
  ReadFile result;
  if (!QFileInfo::exists(path)) return result;
  result.exists = true;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    result.problem.note(0, QStringLiteral("the file cannot be opened: %1").arg(file.errorString()));
    return result;
  }
  const QByteArray content = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    result.problem.note(0, QStringLiteral("the file cannot be read: %1").arg(file.errorString()));
    return result;
  }
  result.lines = user_file_lines(content);
  return result;
}

// Moves the unreadable file aside and tells the user; answers false when it could not be moved.
bool set_aside_and_report(const QString& path, const QString& opening, const ReadProblem& problem,
                          const QString& kept, QWidget* parent) {
  const QString copy = free_aside_path(path);
  QFile file(path);
  const bool moved = file.rename(copy);
  QString text = opening + problem.where() + QStringLiteral(".\n");
  if (moved) {
    text += QStringLiteral("The file was moved to %1; Quovi goes on with %2.")
                .arg(QDir::toNativeSeparators(copy), kept);
  } else {
    text += QStringLiteral("Quovi goes on with %1. The file could not be moved aside (%2), so favorites.dat "
                           "and userdef.dat will not be written when Quovi closes.")
                .arg(kept, file.errorString());
  }
  show_error(parent, text);
  return moved;
}

// Returns false when an unreadable file had to stay where it is.
bool read_favorites(AppState& state, QWidget* parent) {
  std::vector<int32_t>& favorites = state.catalogue.favorites;
  favorites.clear();
  const QString path = favorites_path(state.app_data);
  ReadFile file = read_user_file(path);
  if (!file.exists) return true;
  favorites.reserve(static_cast<size_t>(file.lines.size()));
  for (qsizetype i = 0; i < file.lines.size(); ++i) {
    const QString& line = file.lines[i];
    if (const std::optional<int32_t> id = parse_int32(line))
      favorites.push_back(*id);
    else
      file.problem.note(static_cast<int>(i + 1), line.isEmpty() ? QStringLiteral("is empty")
                                                                : QStringLiteral("is not a channel id: \"%1\"").arg(line.left(40)));
  }
  if (!file.problem.any()) return true;
  return set_aside_and_report(path, QStringLiteral("Your favourites could not all be read from favorites.dat: "),
                              file.problem, QStringLiteral("the %1 favourites that could be read").arg(favorites.size()),
                              parent);
}

// Fills one channel from the fields of a line; answers why it cannot, or nothing.
std::optional<QString> fill_user_channel(const QList<QStringView>& f, const TInfo& info, const AppState& state,
                                         TItem& item) {
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
  item.id = n[0];
  item.group_id = n[1];
  item.sent = n[2];
  item.favorited = is_favorite(state.catalogue.favorites, item.id) ? 1 : 0;
  item.name = TShortText::from_text(f[3].left(254).toString());
  item.url = to_packed(f[4].toString());
  item.bitrate = n[5];
  item.type_id = n[6];
  item.homepage = to_packed(f[7].toString());
  item.country_id = n[8];
  item.genre_id = n[9];
  item.genre = TShortText::from_text(genre_name_by_id(item.genre_id, info.genres));
  if (f.size() > 10) item.comment = to_packed(f[10].toString());
  item.usdef = 1;
  return std::nullopt;
}

bool read_user_channels(AppState& state, QWidget* parent) {
  TInfo& info = state.catalogue.info;
  const QString path = userdef_path(state.app_data);
  ReadFile file = read_user_file(path);
  if (!file.exists) return true;
  info.channels.reserve(info.channels.size() + static_cast<size_t>(file.lines.size()));
  int read = 0;
  for (qsizetype i = 0; i < file.lines.size(); ++i) {
    TItem item;
    if (const std::optional<QString> why = fill_user_channel(split_fields(file.lines[i]), info, state, item)) {
      file.problem.note(static_cast<int>(i + 1), *why);
      continue;
    }
    info.ud_max = std::max(info.ud_max, item.id);
    info.channels.push_back(std::move(item));
    ++read;
  }
  if (!file.problem.any()) return true;
  return set_aside_and_report(path, QStringLiteral("Error reading userdef.dat "), file.problem,
                              QStringLiteral("the %1 channels of yours that could be read").arg(read), parent);
}

// Text fields may not carry what separates fields or lines in the file.
void append_field(std::string& out, std::string_view cp1252) {
  for (char c : cp1252) {
    if (c == '|')
      out += '/';
    else if (c == '\r' || c == '\n')
      out += ' ';
    else
      out += c;
  }
}

void append_number(std::string& out, int64_t n) { out += std::to_string(n); }

QString save(const QString& path, const std::string& content) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return file.errorString();
  if (file.write(content.data(), static_cast<qint64>(content.size())) != static_cast<qint64>(content.size())) {
    const QString error = file.errorString();
    file.cancelWriting();
    return error;
  }
  if (!file.commit()) return file.errorString();
  return {};
}
}  // namespace

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

void load_favorites(AppState& state, QWidget* parent) {
  if (!read_favorites(state, parent)) state.user_files_loaded = false;
}

void load_user_channels(AppState& state, QWidget* parent) {
  if (!read_user_channels(state, parent)) state.user_files_loaded = false;
}

void load_user_files(AppState& state, QWidget* parent) {
  const bool favorites_ok = state.user_files_loaded || read_favorites(state, parent);
  const bool channels_ok = read_user_channels(state, parent);
  state.user_files_loaded = favorites_ok && channels_ok;
}

void resolve_user_channel_genres(TInfo& info) {
  for (TItem& item : info.channels)
    if (item.usdef == 1) item.genre = TShortText::from_text(genre_name_by_id(item.genre_id, info.genres));
}

std::string favorites_file_text(const TInfo& info) {
  std::string out;
  for (const TItem& item : info.channels) {
    if (item.favorited != 1) continue;
    append_number(out, item.id);
    out += "\r\n";
  }
  return out;
}

std::string userdef_file_text(const TInfo& info) {
  std::string out;
  for (const TItem& item : info.channels) {
    if (item.usdef != 1) continue;
    append_number(out, item.id);
    out += '|';
    append_number(out, item.group_id);
    out += '|';
    append_number(out, item.sent);
    out += '|';
    append_field(out, item.name.bytes());
    out += '|';
    append_field(out, utf8_to_cp1252(item.url.view()));
    out += '|';
    append_number(out, item.bitrate);
    out += '|';
    append_number(out, item.type_id);
    out += '|';
    append_field(out, utf8_to_cp1252(item.homepage.view()));
    out += '|';
    append_number(out, item.country_id);
    out += '|';
    append_number(out, item.genre_id);
    out += '|';
    append_field(out, utf8_to_cp1252(item.comment.view()));
    out += "\r\n";
  }
  return out;
}

QStringList write_user_files(const AppState& state) {
  QStringList failures;
  if (!state.user_files_loaded) return failures;
  const TInfo& info = state.catalogue.info;
  const QString favorites = favorites_path(state.app_data);
  if (const QString error = save(favorites, favorites_file_text(info)); !error.isEmpty())
    failures << QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(favorites), error);
  const QString channels = userdef_path(state.app_data);
  if (const QString error = save(channels, userdef_file_text(info)); !error.isEmpty())
    failures << QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(channels), error);
  return failures;
}

bool save_user_files(AppState& state, QWidget* parent) {
  const QStringList failures = write_user_files(state);
  if (failures.isEmpty()) return true;
  return ask_yes_no(parent, QStringLiteral("Your favourites and channels could not all be saved.\n%1\n"
                                           "The files that could not be saved are as they were before.\n\n"
                                           "Close Quovi anyway? The changes of this session that could not be "
                                           "saved will be lost.")
                                .arg(failures.join(QLatin1Char('\n'))));
}

int find_channel_by_id(const TInfo& info, int32_t id) {
  for (size_t k = 0; k < info.channels.size(); ++k)
    if (info.channels[k].id == id) return static_cast<int>(k);
  return -1;
}

QString channel_name_at_row(const AppState& state, int row) {
  const int position = channel_position(state, row);
  if (position < 0) return {};
  return state.catalogue.info.channels[static_cast<size_t>(position)].name.text();
}

bool set_favorite_at_row(AppState& state, int row, bool on) {
  const int position = channel_position(state, row);
  if (position < 0) return false;
  TItem& item = state.catalogue.info.channels[static_cast<size_t>(position)];
  std::vector<int32_t>& favorites = state.catalogue.favorites;
  if (on) {
    item.favorited = 1;
    if (!is_favorite(favorites, item.id)) favorites.push_back(item.id);
    return false;
  }
  item.favorited = 0;
  favorites.erase(std::remove(favorites.begin(), favorites.end(), item.id), favorites.end());
  return true;
}

bool add_to_favorites(AppState& state, int selected_row, QWidget* parent) {
  if (channel_position(state, selected_row) < 0) return false;
  const QString name = channel_name_at_row(state, selected_row);
  if (!ask_yes_no(parent, QStringLiteral("Would you like to add ") + name + QStringLiteral(" to your favorites?")))
    return false;
  return set_favorite_at_row(state, selected_row, true);
}

bool remove_from_favorites(AppState& state, int selected_row, QWidget* parent) {
  if (channel_position(state, selected_row) < 0) return false;
  const QString name = channel_name_at_row(state, selected_row);
  if (!ask_yes_no(parent,
                  QStringLiteral("Would you like to remove ") + name + QStringLiteral(" from your favorites?")))
    return false;
  return set_favorite_at_row(state, selected_row, false);
}

bool remove_user_channel(AppState& state, int selected_row, QWidget* parent) {
  const int row_position = channel_position(state, selected_row);
  if (row_position < 0) return false;
  if (!ask_yes_no(parent, QStringLiteral("Are you sure that you want to permanently delete the selected channel?")))
    return false;
  const size_t position = static_cast<size_t>(row_position);
  std::vector<TItem>& channels = state.catalogue.info.channels;
  if (channels[position].usdef != 1) return false;
  // The selected record itself goes: a catalogue channel sharing its id may lie earlier.
  channels.erase(channels.begin() + static_cast<std::ptrdiff_t>(position));
  return true;
}
