#include "catalogue/channel_database.h"

#include "catalogue/background_inflate.h"
#include "catalogue/catalogue_error.h"
#include "catalogue/catalogue_paths.h"
#include "catalogue/channel_cipher.h"
#include "catalogue/channel_members.h"
#include "catalogue/large_pages.h"
#include "catalogue/page_populator.h"
#include "catalogue/zip_memory_reader.h"

#include <QFile>

#include <algorithm>
#include <cstddef>
#include <memory>

namespace {
// The file whole, in memory of large pages: the read is its first touch.
std::unique_ptr<LargePageBuffer> read_whole_file(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    throw CatalogueError("Cannot open the channel database \"" + path.toStdString() + "\": " +
                         file.errorString().toStdString());
  auto bytes = std::make_unique<LargePageBuffer>(static_cast<size_t>(std::max<qint64>(file.size(), 0)));
  qint64 done = 0;
  while (done < static_cast<qint64>(bytes->size())) {
    const qint64 read = file.read(bytes->data() + done, static_cast<qint64>(bytes->size()) - done);
    if (read <= 0) break;
    done += read;
  }
  if (done != static_cast<qint64>(bytes->size()))
    throw CatalogueError("Cannot read the channel database \"" + path.toStdString() + "\": " +
                         file.errorString().toStdString());
  return bytes;
}

// The first bytes of the current member, at most `count`; the rest is not inflated.
std::string first_bytes(MemoryZipReader& archive, size_t count) {
  MemberReader member(archive);
  std::string bytes(count, '\0');
  size_t done = 0;
  while (done < count) {
    const size_t read = member.read(bytes.data() + done, count - done);
    if (read == 0) break;
    done += read;
  }
  bytes.resize(done);
  return bytes;
}

// Reads the current member through `load`, which takes the member's text as a LineStream source.
// When the member itself cannot be read (damaged data, a failed CRC check), `discard` takes back
// what was loaded from it before the error is passed on: the member counts as unreadable as a
// whole. An error in a line leaves what came before it.
template <typename Load, typename Discard>
void read_member(MemoryZipReader& archive, Load&& load, Discard&& discard) {
  MemberReader member(archive);
  bool unreadable = false;
  try {
    load([&](char* into, size_t capacity) {
      try {
        return member.read(into, capacity);
      } catch (const CatalogueError&) {
        unreadable = true;
        throw;
      }
    }, member.size());
  } catch (const CatalogueError&) {
    if (unreadable) discard();
    throw;
  }
}

constexpr ChannelMember kChannelMembers[] = {
    {"tv.dat", kGroupTV, 254},
    {"radio.dat", kGroupRadio, 154},
    {"video.dat", kGroupVideo, 154},
};

// Loads from the decrypted file, which the load owns: the inflate gives its stored data back as it
// goes, so that the file and the catalogue made from it are not held whole together.
void load_archive(Catalogue& catalogue, const std::vector<int32_t>& favorites, std::string_view zip) {
  LoadAllowance allowance(zip.size());
  MemoryZipReader archive(zip);
  archive.discard_inflated_data();
  if (!archive.is_open()) return;

  if (archive.locate("version.dat")) load_version_member(catalogue, first_bytes(archive, 12));
  if (archive.locate("countries.dat"))
    read_member(
        archive,
        [&](LineStream::Source text, uint64_t) { load_country_member(catalogue.countries, std::move(text), allowance); },
        [&] { catalogue.countries.clear(); });
  const bool genres = archive.locate("genres.dat");
  if (genres)
    read_member(
        archive, [&](LineStream::Source text, uint64_t) { load_genre_member(catalogue.genres, std::move(text), allowance); },
        [&] { catalogue.genres.clear(); });
  const GenreNames genre_names(catalogue.genres);
  if (genres) assign_genre_names(catalogue.channels, genre_names);

  // The channel members are inflated on a second thread while this one parses them.
  const FavoriteIds favorite_ids(favorites);
  std::vector<const ChannelMember*> present;
  std::vector<std::string> names;
  std::vector<uint64_t> stated;
  uint64_t stated_total = 0;
  for (const ChannelMember& kind : kChannelMembers) {
    if (!archive.locate(kind.member)) continue;
    present.push_back(&kind);
    names.emplace_back(kind.member);
    stated.push_back(archive.current_size());
    stated_total += stated.back();
  }
  if (present.empty()) return;
  // A channel line holds about twice the text its record keeps (numbers and base64 shrink).
  // The pages the texts and records will fill are faulted in on a third thread, ahead of the parse.
  PagePopulator pages;
  // Stated sizes are not trusted: the first chunk, faulted in whole, stays within what the load may cost.
  TextArena texts(std::min(stated_total / 2, allowance.left()));
  texts.populate_chunks_with(&pages);
  ChannelLoad load{favorite_ids, genre_names, allowance, texts, &pages, {}};
  load.bytes_ahead = stated_total;
  BackgroundInflate inflate(archive, std::move(names));
  for (size_t k = 0; k < present.size(); ++k) {
    load.bytes_ahead -= stated[k];
    const size_t first = catalogue.channels.size();
    bool unreadable = false;
    const auto source = [&](char* into, size_t capacity) {
      try {
        return inflate.read(k, into, capacity);
      } catch (const CatalogueError&) {
        unreadable = true;
        throw;
      }
    };
    try {
      load_channel_member(catalogue.channels, *present[k], source, stated[k], load);
    } catch (const CatalogueError&) {
      // A member that cannot be read leaves nothing of itself; an error in a line leaves what came before it.
      if (unreadable)
        catalogue.channels.erase(catalogue.channels.begin() + static_cast<std::ptrdiff_t>(first), catalogue.channels.end());
      throw;
    }
  }
}

}  // namespace

void load_channel_database_bytes(Catalogue& catalogue, const std::vector<int32_t>& favorites, std::string bytes) {
  decrypt_channel_file_in_place(bytes);
  load_archive(catalogue, favorites, bytes);
}

void load_channel_database(Catalogue& catalogue, const std::vector<int32_t>& favorites, const QString& app_data) {
  ensure_catalogue_folder(app_data);
  const std::unique_ptr<LargePageBuffer> file = read_whole_file(channels_path(app_data));
  decrypt_channel_file_in_place(file->data(), file->size());
  load_archive(catalogue, favorites, std::string_view(file->data(), file->size()));
}
