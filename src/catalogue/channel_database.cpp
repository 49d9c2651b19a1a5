#include "catalogue/channel_database.h"

#include "catalogue/catalogue_error.h"
#include "catalogue/catalogue_paths.h"
#include "catalogue/channel_cipher.h"
#include "catalogue/channel_members.h"
#include "catalogue/zip_memory_reader.h"

#include <QFile>

#include <algorithm>
#include <optional>

namespace {
std::string read_whole_file(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    throw CatalogueError("Cannot open the channel database \"" + path.toStdString() + "\": " +
                         file.errorString().toStdString());
  std::string bytes(static_cast<size_t>(std::max<qint64>(file.size(), 0)), '\0');
  qint64 done = 0;
  while (done < static_cast<qint64>(bytes.size())) {
    const qint64 read = file.read(bytes.data() + done, static_cast<qint64>(bytes.size()) - done);
    if (read <= 0) break;
    done += read;
  }
  if (done != static_cast<qint64>(bytes.size()))
    throw CatalogueError("Cannot read the channel database \"" + path.toStdString() + "\": " +
                         file.errorString().toStdString());
  return bytes;
}

std::optional<std::string> member_content(MemoryZipReader& archive, std::string_view name) {
  if (!archive.locate(name)) return std::nullopt;
  return read_archive_member(archive.handle());
}

constexpr ChannelMember kChannelMembers[] = {
    {"tv.dat", kGroupTV, 254},
    {"radio.dat", kGroupRadio, 154},
    {"video.dat", kGroupVideo, 154},
};
}  // namespace

void load_channel_database_bytes(TInfo& info, const std::vector<int32_t>& favorites, std::string bytes) {
  decrypt_channel_file_in_place(bytes);
  MemoryZipReader archive(bytes);
  if (!archive.is_open()) return;

  if (auto version = member_content(archive, "version.dat")) load_version_member(info, *version);
  if (auto countries = member_content(archive, "countries.dat")) load_country_member(info.countries, *countries);
  if (auto genres = member_content(archive, "genres.dat")) {
    load_genre_member(info.genres, *genres);
    assign_genre_names(info.channels, GenreNames(info.genres));
  }
  const FavoriteIds favorite_ids(favorites);
  const GenreNames genre_names(info.genres);
  for (const ChannelMember& kind : kChannelMembers) {
    if (auto content = member_content(archive, kind.member))
      load_channel_member(info.channels, kind, *content, favorite_ids, genre_names);
  }
}

void load_channel_database(TInfo& info, const std::vector<int32_t>& favorites, const QString& app_data) {
  ensure_catalogue_folder(app_data);
  load_channel_database_bytes(info, favorites, read_whole_file(channels_path(app_data)));
}
