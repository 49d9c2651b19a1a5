#include "catalogue/user_files.h"

#include "catalogue/aside_path.h"
#include "catalogue/catalogue_paths.h"
#include "catalogue/channel_sources.h"
#include "catalogue/code_page.h"
#include "catalogue/lookups.h"
#include "catalogue/strict_number.h"
#include "catalogue/user_file_reading.h"
#include "widgets/messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <iterator>
#include <optional>
#include <unordered_set>

namespace {
// Favourites of the sources whose channels are known by id go into favorites.dat; the others keep
// them in a file of their own.
bool kept_in_favorites_file(const Channel& item) { return rules_of(item).favorites_key == ChannelKey::Id; }

struct ReadFile {
  bool exists = false;
  QByteArray content;
  UserFileProblem problem;  // only for a file that cannot be opened or read
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
  result.content = file.readAll();
  if (file.error() != QFileDevice::NoError)
    result.problem.note(0, QStringLiteral("the file cannot be read: %1").arg(file.errorString()));
  return result;
}

// Moves the unreadable file aside and tells the user; answers false when it could not be moved.
bool set_aside_and_report(const QString& path, const QString& opening, const UserFileProblem& problem,
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
bool read_favorites(Catalogue& catalogue, QWidget* parent) {
  std::vector<int32_t>& favorites = catalogue.favorites;
  favorites.clear();
  const QString path = favorites_path(catalogue.app_data);
  const ReadFile file = read_user_file(path);
  if (!file.exists) return true;
  FavoritesContent read = read_favorites_content(file.content);
  favorites = std::move(read.ids);
  const UserFileProblem& problem = file.problem.any() ? file.problem : read.problem;
  if (!problem.any()) return true;
  return set_aside_and_report(path, QStringLiteral("Your favourites could not all be read from favorites.dat: "),
                              problem, QStringLiteral("the %1 favourites that could be read").arg(favorites.size()),
                              parent);
}

// The copies of userdef.dat set aside at earlier starts: userdef.dat.bad, userdef.dat.bad.2 and so on.
QStringList set_aside_copies(const QString& path) {
  const QFileInfo original(path);
  const QString name = original.fileName() + QStringLiteral(".bad");
  QStringList copies;
  const QStringList found = original.dir().entryList({name, name + QStringLiteral(".*")}, QDir::Files);
  for (const QString& entry : found) {
    const QStringView suffix = QStringView(entry).mid(name.size());
    if (suffix.isEmpty() || (suffix.size() > 1 && parse_int32(suffix.mid(1)).has_value()))
      copies << original.dir().filePath(entry);
  }
  return copies;
}

// Raises highest_user_id to the ids on the lines of the copies set aside earlier, so a line repaired and put
// back into userdef.dat keeps an id that no channel added since has taken.
void count_set_aside_ids(Catalogue& catalogue, const QString& path) {
  for (const QString& copy : set_aside_copies(path)) {
    const ReadFile file = read_user_file(copy);
    for (const QString& line : user_file_lines(file.content))
      if (const std::optional<int32_t> id = user_line_id(line)) catalogue.highest_user_id = std::max(catalogue.highest_user_id, *id);
  }
}

bool read_user_channels(Catalogue& catalogue, QWidget* parent) {
  const QString path = userdef_path(catalogue.app_data);
  count_set_aside_ids(catalogue, path);
  const ReadFile file = read_user_file(path);
  if (!file.exists) return true;
  UserChannelsContent read = read_user_channels_content(file.content, catalogue.favorites, catalogue.genres);
  if (read.highest_id) catalogue.highest_user_id = std::max(catalogue.highest_user_id, *read.highest_id);
  const size_t count = read.channels.size();
  catalogue.channels.insert(catalogue.channels.end(), std::make_move_iterator(read.channels.begin()),
                       std::make_move_iterator(read.channels.end()));
  const UserFileProblem& problem = file.problem.any() ? file.problem : read.problem;
  if (!problem.any()) return true;
  return set_aside_and_report(path, QStringLiteral("Error reading userdef.dat "), problem,
                              QStringLiteral("the %1 channels of yours that could be read").arg(count), parent);
}

// Text fields may not carry what separates fields or lines in the file, nor a NUL, where reading
// would cut the line.
void append_field(std::string& out, std::string_view cp1252) {
  for (char c : cp1252) {
    if (c == '|')
      out += '/';
    else if (c == '\r' || c == '\n' || c == '\0')
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

bool valid_position(const Catalogue& catalogue, int position) {
  return position >= 0 && static_cast<size_t>(position) < catalogue.channels.size();
}
}  // namespace

void load_favorites(Catalogue& catalogue, QWidget* parent) {
  if (!read_favorites(catalogue, parent)) catalogue.user_files_loaded = false;
}

void load_user_channels(Catalogue& catalogue, QWidget* parent) {
  if (!read_user_channels(catalogue, parent)) catalogue.user_files_loaded = false;
}

void load_user_files(Catalogue& catalogue, QWidget* parent) {
  const bool favorites_ok = catalogue.user_files_loaded || read_favorites(catalogue, parent);
  const bool channels_ok = read_user_channels(catalogue, parent);
  catalogue.user_files_loaded = favorites_ok && channels_ok;
}

void resolve_user_channel_genres(Catalogue& catalogue) {
  for (Channel& item : catalogue.channels)
    if (item.user_defined == 1) item.genre = ShortText::from_text(genre_name_by_id(item.genre_id, catalogue.genres));
}

bool holds_database_channels(const Catalogue& catalogue) {
  return std::any_of(catalogue.channels.begin(), catalogue.channels.end(), [](const Channel& item) {
    return source_of(item) == ChannelSource::Catalogue;
  });
}

std::vector<int32_t> favorite_ids_to_write(const Catalogue& catalogue) {
  std::vector<int32_t> ids;
  if (holds_database_channels(catalogue)) {
    for (const Channel& item : catalogue.channels)
      if (item.favorited == 1 && kept_in_favorites_file(item)) ids.push_back(item.id);
    return ids;
  }
  // The catalogue's channels are not in memory, so only the list knows which of them the user
  // marked (the favourite commands keep it in step): every id in it stays, each once, then those of
  // the user's channels marked outside the list.
  std::unordered_set<int32_t> written;
  const auto add = [&](int32_t id) {
    if (written.insert(id).second) ids.push_back(id);
  };
  for (int32_t id : catalogue.favorites) add(id);
  for (const Channel& item : catalogue.channels)
    if (item.favorited == 1 && kept_in_favorites_file(item)) add(item.id);
  return ids;
}

std::string favorites_file_text(const Catalogue& catalogue) {
  std::string out;
  for (int32_t id : favorite_ids_to_write(catalogue)) {
    append_number(out, id);
    out += "\r\n";
  }
  return out;
}

std::string userdef_file_text(const Catalogue& catalogue) {
  std::string out;
  for (const Channel& item : catalogue.channels) {
    if (item.user_defined != 1) continue;
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

UserFileTexts user_file_texts(const Catalogue& catalogue) {
  if (!catalogue.user_files_loaded || catalogue.user_files_held_elsewhere) return {};
  return {true, catalogue.app_data, favorites_file_text(catalogue), userdef_file_text(catalogue)};
}

QStringList write_user_file_texts(const UserFileTexts& texts) {
  QStringList failures;
  if (!texts.write) return failures;
  const QString favorites = favorites_path(texts.app_data);
  if (const QString error = save(favorites, texts.favorites); !error.isEmpty())
    failures << QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(favorites), error);
  const QString channels = userdef_path(texts.app_data);
  if (const QString error = save(channels, texts.userdef); !error.isEmpty())
    failures << QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(channels), error);
  return failures;
}

QStringList write_user_files(const Catalogue& catalogue) { return write_user_file_texts(user_file_texts(catalogue)); }

bool save_user_files(Catalogue& catalogue, QWidget* parent) { return save_user_file_texts(user_file_texts(catalogue), parent); }

bool save_user_file_texts(const UserFileTexts& texts, QWidget* parent) {
  const QStringList failures = write_user_file_texts(texts);
  if (failures.isEmpty()) return true;
  return ask_yes_no(parent, QStringLiteral("Your favourites and channels could not all be saved.\n%1\n"
                                           "The files that could not be saved are as they were before.\n\n"
                                           "Close Quovi anyway? The changes of this session that could not be "
                                           "saved will be lost.")
                                .arg(failures.join(QLatin1Char('\n'))));
}

int find_channel_by_id(const Catalogue& catalogue, int32_t id) {
  for (size_t k = 0; k < catalogue.channels.size(); ++k)
    if (catalogue.channels[k].id == id) return static_cast<int>(k);
  return -1;
}

QString channel_name_at(const Catalogue& catalogue, int position) {
  if (!valid_position(catalogue, position)) return {};
  return catalogue.channels[static_cast<size_t>(position)].name.text();
}

bool set_favorite(Catalogue& catalogue, int position, bool on) {
  if (!valid_position(catalogue, position)) return false;
  Channel& item = catalogue.channels[static_cast<size_t>(position)];
  std::vector<int32_t>& favorites = catalogue.favorites;
  const bool listed = kept_in_favorites_file(item);
  if (on) {
    item.favorited = 1;
    if (listed && !is_favorite(favorites, item.id)) favorites.push_back(item.id);
    return false;
  }
  item.favorited = 0;
  if (listed)
    favorites.erase(std::remove(favorites.begin(), favorites.end(), item.id), favorites.end());
  return true;
}

bool add_to_favorites(Catalogue& catalogue, int position, QWidget* parent) {
  if (!valid_position(catalogue, position)) return false;
  const QString name = channel_name_at(catalogue, position);
  if (!ask_yes_no(parent, QStringLiteral("Would you like to add ") + name + QStringLiteral(" to your favorites?")))
    return false;
  return set_favorite(catalogue, position, true);
}

bool remove_from_favorites(Catalogue& catalogue, int position, QWidget* parent) {
  if (!valid_position(catalogue, position)) return false;
  const QString name = channel_name_at(catalogue, position);
  if (!ask_yes_no(parent,
                  QStringLiteral("Would you like to remove ") + name + QStringLiteral(" from your favorites?")))
    return false;
  return set_favorite(catalogue, position, false);
}

bool remove_user_channel(Catalogue& catalogue, int position, QWidget* parent) {
  if (!valid_position(catalogue, position)) return false;
  if (!ask_yes_no(parent, QStringLiteral("Are you sure that you want to permanently delete the selected channel?")))
    return false;
  std::vector<Channel>& channels = catalogue.channels;
  if (channels[static_cast<size_t>(position)].user_defined != 1) return false;
  // The selected record itself goes: a catalogue channel sharing its id may lie earlier.
  channels.erase(channels.begin() + static_cast<std::ptrdiff_t>(position));
  return true;
}
