#include "check_command.h"

#include "catalogue/catalogue_error.h"
#include "catalogue/channel_database.h"

#include <chrono>
#include <cstdio>

namespace {
size_t channels_in_group(const Catalogue& catalogue, int32_t group) {
  size_t count = 0;
  for (const Channel& item : catalogue.channels) count += item.group_id == group;
  return count;
}
}  // namespace

std::string check_channel_file(std::string bytes) {
  Catalogue catalogue;
  const auto start = std::chrono::steady_clock::now();
  load_channel_database_bytes(catalogue, {}, std::move(bytes));
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  if (catalogue.version_stamp.empty() && catalogue.countries.empty() && catalogue.genres.empty() &&
      catalogue.channels.empty())
    throw CatalogueError("nothing loads from it: once decrypted it holds no archive with channel database members");
  char time[32];
  std::snprintf(time, sizeof time, "%.1f", ms);
  return "TV " + std::to_string(channels_in_group(catalogue, kGroupTV)) + ", Radio " +
         std::to_string(channels_in_group(catalogue, kGroupRadio)) + ", Video " +
         std::to_string(channels_in_group(catalogue, kGroupVideo)) + " channels; " +
         std::to_string(catalogue.countries.size()) + " countries, " + std::to_string(catalogue.genres.size()) +
         " genres; " + (catalogue.version_stamp.empty() ? "no stamp" : "stamp " + catalogue.version_stamp) +
         "; loaded in " + time + " ms";
}
