// Feeds arbitrary bytes to the reader of userdef.dat as the file's content, then checks what the
// program relies on: every channel read is the user's with an id that leaves room above it, the
// highest id covers them all, and what the writer makes of them reads back whole and unchanged.
#include "catalogue/records.h"
#include "catalogue/user_file_reading.h"
#include "catalogue/user_files.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
const std::vector<int32_t> kFavorites = {5, 101, 100001};
const std::vector<Genre> kGenres = {{0, ShortText::from_text("All")}, {12, ShortText::from_text("Jazz")}};

void require(bool condition) {
  if (!condition) std::abort();
}

std::string written(const std::vector<Channel>& channels) {
  Catalogue info;
  info.channels = channels;
  return userdef_file_text(info);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const QByteArray content(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
  const UserChannelsContent read = read_user_channels_content(content, kFavorites, kGenres);
  require(read.problem.any() == (read.problem.bad_lines > 0));
  for (const Channel& item : read.channels) {
    require(item.user_defined == 1);
    require(item.id <= kHighestUserChannelId);
    require(read.highest_id.has_value() && *read.highest_id >= item.id);
    require(item.favorited == (item.id == 5 || item.id == 101 || item.id == 100001 ? 1 : 0));
    require(item.name.size() <= 255);
  }
  if (read.highest_id) require(*read.highest_id <= kHighestUserChannelId);

  // The writer's file is read without a problem, and writing what was read gives the same file.
  const std::string once = written(read.channels);
  const UserChannelsContent again =
      read_user_channels_content(QByteArray(once.data(), static_cast<qsizetype>(once.size())), kFavorites, kGenres);
  require(!again.problem.any());
  require(again.channels.size() == read.channels.size());
  require(written(again.channels) == once);
  return 0;
}
