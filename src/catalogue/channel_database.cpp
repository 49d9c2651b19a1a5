#include "catalogue/channel_database.h"

#include "catalogue/catalogue_error.h"
#include "catalogue/catalogue_paths.h"
#include "catalogue/channel_cipher.h"
#include "catalogue/channel_members.h"
#include "catalogue/text_lines.h"
#include "catalogue/zip_memory_reader.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <exception>
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

  // All channel members are inflated before the first is read, so that the array can be reserved
  // once for all of them: growing it member by member would move every record already loaded.
  // A member that cannot be inflated raises its error at its own turn, after the members before
  // it were loaded, and the members after it are not touched.
  struct Pending {
    std::optional<std::string> content;
    size_t lines = 0;
    std::exception_ptr error;
  };
  std::array<Pending, std::size(kChannelMembers)> pending;
  size_t total = info.channels.size();
  for (size_t i = 0; i < pending.size(); ++i) {
    try {
      pending[i].content = member_content(archive, kChannelMembers[i].member);
    } catch (const CatalogueError&) {
      pending[i].error = std::current_exception();
      break;
    }
    if (pending[i].content) total += pending[i].lines = count_lines(*pending[i].content);
  }
  info.channels.reserve(total);
  for (size_t i = 0; i < pending.size(); ++i) {
    if (pending[i].error) std::rethrow_exception(pending[i].error);
    if (pending[i].content) {
      load_channel_member(info.channels, kChannelMembers[i], *pending[i].content, pending[i].lines, favorite_ids,
                          genre_names);
      pending[i].content.reset();  // its text is no longer needed
    }
  }
}

void load_channel_database(TInfo& info, const std::vector<int32_t>& favorites, const QString& app_data) {
  ensure_catalogue_folder(app_data);
  load_channel_database_bytes(info, favorites, read_whole_file(channels_path(app_data)));
}
