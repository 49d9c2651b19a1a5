#include "catalogue_file.h"

#include "catalogue/catalogue_error.h"
#include "catalogue/channel_database.h"
#include "catalogue/records.h"

#include <fstream>
#include <iterator>
#include <system_error>

std::string catalogue_stamp(const std::string& bytes) {
  Catalogue info;
  load_channel_database_bytes(info, {}, bytes);
  // A file that does not decrypt to an archive loads as an empty catalogue without complaint.
  if (info.version_stamp.empty() && info.channels.empty() && info.countries.empty() && info.genres.empty())
    throw CatalogueError("holds no catalogue");
  return info.version_stamp;
}

CatalogueFile::CatalogueFile(std::filesystem::path path) : path_(std::move(path)) {
  snapshot_.bytes = std::make_shared<const std::string>();
  snapshot_.problem = "not read yet";
}

CatalogueFile::Snapshot CatalogueFile::current() {
  std::lock_guard lock(mutex_);
  std::error_code ec;
  const auto time = std::filesystem::last_write_time(path_, ec);
  const auto size = ec ? 0 : std::filesystem::file_size(path_, ec);
  if (ec) {
    snapshot_ = {std::make_shared<const std::string>(), {}, path_.string() + ": " + ec.message()};
    seen_size_ = static_cast<std::uintmax_t>(-1);
    return snapshot_;
  }
  if (time == seen_time_ && size == seen_size_) return snapshot_;

  std::ifstream in(path_, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) {
    snapshot_ = {std::make_shared<const std::string>(), {}, path_.string() + ": cannot be read"};
    return snapshot_;
  }
  try {
    std::string stamp = catalogue_stamp(bytes);
    snapshot_ = {std::make_shared<const std::string>(std::move(bytes)), std::move(stamp), {}};
  } catch (const std::exception& e) {
    snapshot_ = {std::make_shared<const std::string>(), {}, path_.string() + ": " + e.what()};
  }
  seen_time_ = time;
  seen_size_ = size;
  return snapshot_;
}
