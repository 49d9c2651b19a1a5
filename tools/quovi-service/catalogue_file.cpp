#include "catalogue_file.h"

#include "catalogue/catalogue_error.h"
#include "catalogue/channel_database.h"
#include "catalogue/records.h"
#include "catalogue_build.h"
#include "catalogue_publish.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace {
constexpr qint64 kFreshStampLifeSeconds = 24 * 3600;
}  // namespace

std::string catalogue_stamp(const std::string& bytes) {
  Catalogue info;
  load_channel_database_bytes(info, {}, bytes);
  // A file that does not decrypt to an archive loads as an empty catalogue without complaint.
  if (info.version_stamp.empty() && info.channels.empty() && info.countries.empty() && info.genres.empty())
    throw CatalogueError("holds no catalogue");
  return info.version_stamp;
}

CatalogueFile::CatalogueFile(std::filesystem::path path, PublishOptions options)
    : path_(std::move(path)),
      options_(std::move(options)),
      file_bytes_(std::make_shared<const std::string>()),
      published_(options_.addresses_kept, options_.bytes_kept) {}

CatalogueFile::Snapshot CatalogueFile::current(const std::string& base) {
  std::unique_lock lock(mutex_);
  const QDateTime now = options_.clock();
  read_if_changed(now);
  if (!problem_.empty()) return {std::make_shared<const std::string>(), {}, problem_};
  if (!rebuilt_) return {file_bytes_, stamp_, {}};
  renew_stamp_if_old(now);
  const std::string address = names_service_ ? (base.empty() ? options_.default_base : base) : std::string();
  if (auto bytes = published_.find(address)) return {std::move(bytes), stamp_, {}};
  if (const auto it = building_.find(address); it != building_.end() && it->second.generation == generation_) {
    const std::shared_future<Snapshot> pending = it->second.result;
    lock.unlock();
    return pending.get();
  }
  return build(address, now, lock);
}

CatalogueFile::Snapshot CatalogueFile::build(const std::string& address, const QDateTime& now,
                                             std::unique_lock<std::mutex>& lock) {
  std::promise<Snapshot> promise;
  const uint64_t generation = generation_;
  building_[address] = {generation, promise.get_future().share()};
  const auto members = members_;
  const std::string stamp = stamp_;
  const bool names_service = names_service_;
  lock.unlock();

  Snapshot result;
  try {
    if (options_.building) options_.building(address);
    std::vector<ZipMember> published = *members;
    stamp_members(published, stamp);
    if (names_service) fill_in_service_address(published, address);
    result = {std::make_shared<const std::string>(make_channel_file(published, now)), stamp, {}};
  } catch (const std::exception& e) {
    result = {std::make_shared<const std::string>(), {}, path_.string() + ": " + e.what()};
  }

  lock.lock();
  if (const auto it = building_.find(address); it != building_.end() && it->second.generation == generation)
    building_.erase(it);
  if (generation == generation_ && result.problem.empty()) published_.keep(address, result.bytes);
  lock.unlock();
  promise.set_value(result);
  return result;
}

void CatalogueFile::read_if_changed(const QDateTime& now) {
  std::error_code ec;
  const auto time = std::filesystem::last_write_time(path_, ec);
  const auto size = ec ? 0 : std::filesystem::file_size(path_, ec);
  if (ec) {
    problem_ = path_.string() + ": " + ec.message();
    seen_size_ = static_cast<std::uintmax_t>(-1);
    return;
  }
  if (time == seen_time_ && size == seen_size_) return;

  std::ifstream in(path_, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) {
    problem_ = path_.string() + ": cannot be read";
    return;
  }
  seen_time_ = time;
  seen_size_ = size;
  try {
    std::string file_stamp = catalogue_stamp(bytes);
    std::vector<ZipMember> members = members_of_channel_file(bytes);
    const bool names_service = names_the_service(members);
    rebuilt_ = options_.fresh_stamp || names_service;
    names_service_ = names_service;
    forget_published();
    if (rebuilt_) {
      members_ = std::make_shared<const std::vector<ZipMember>>(std::move(members));
      // Never older than what was published before: a client holding that is not current.
      stamp_ = options_.fresh_stamp ? next_version_stamp(now, {file_stamp, stamp_}) : file_stamp;
      stamped_at_ = now;
    } else {
      members_.reset();
      stamp_ = std::move(file_stamp);
    }
    file_bytes_ = std::make_shared<const std::string>(std::move(bytes));
    problem_.clear();
  } catch (const std::exception& e) {
    problem_ = path_.string() + ": " + e.what();
  }
}

void CatalogueFile::renew_stamp_if_old(const QDateTime& now) {
  if (!options_.fresh_stamp || stamped_at_.secsTo(now) < kFreshStampLifeSeconds) return;
  stamp_ = next_version_stamp(now, {stamp_});
  stamped_at_ = now;
  forget_published();
}

void CatalogueFile::forget_published() {
  published_.clear();
  ++generation_;
}
