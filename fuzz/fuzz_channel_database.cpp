// Feeds arbitrary bytes to the channel database loader. Encrypted input alone would almost never
// get past the cipher into the archive, so the first byte chooses how the rest reaches the loader:
//   0: as the file itself;
//   1: as the archive, encrypted before loading;
//   2+: as member texts split at 0xFF bytes (version, countries, genres, tv, radio, video), zipped
//       stored and encrypted, so the text rules are explored without CRC failures.
#include "catalogue/catalogue_error.h"
#include "catalogue/channel_cipher.h"
#include "catalogue/channel_database.h"
#include "catalogue/records.h"
#include "catalogue/zip_memory_writer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {
const char* const kMembers[] = {"version.dat", "countries.dat", "genres.dat", "tv.dat", "radio.dat", "video.dat"};

std::string members_file(std::string_view data) {
  std::vector<ZipMember> members;
  size_t index = 0;
  while (index < 6) {
    const size_t end = data.find('\xff');
    members.push_back({kMembers[index++], std::string(data.substr(0, end)), false});
    if (end == std::string_view::npos) break;
    data.remove_prefix(end + 1);
  }
  return encrypt_channel_file(make_zip(members, 0));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (size == 0) return 0;
  const std::string_view data(reinterpret_cast<const char*>(bytes) + 1, size - 1);
  std::string file;
  switch (bytes[0]) {
    case 0: file = std::string(data); break;
    case 1: file = encrypt_channel_file(data); break;
    default: file = members_file(data); break;
  }
  Catalogue info;
  Channel user;  // a user channel before the load, as at start-up
  user.id = 100001;
  user.genre_id = 3;
  user.user_defined = 1;
  info.channels.push_back(user);
  try {
    load_channel_database_bytes(info, {5, 101, 100001}, std::move(file));
  } catch (const CatalogueError&) {
    // Refusing bad input with a message is the expected outcome.
  }
  return 0;
}
