#pragma once
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

// The catalogue file the service hands out. It is read again whenever it changes on disk, so a
// freshly built catalogue is served without a restart. A file that does not load as a catalogue
// is not served: clients would only fail on it.
class CatalogueFile {
 public:
  struct Snapshot {
    std::shared_ptr<const std::string> bytes;  // never null; empty when there is nothing to serve
    std::string stamp;                         // the catalogue's version stamp
    std::string problem;                       // why nothing is served, empty when all is well
  };

  explicit CatalogueFile(std::filesystem::path path);
  Snapshot current();

 private:
  std::filesystem::path path_;
  std::mutex mutex_;
  Snapshot snapshot_;
  std::filesystem::file_time_type seen_time_{};
  std::uintmax_t seen_size_ = static_cast<std::uintmax_t>(-1);
};

// The version stamp of a catalogue file's content; throws when it does not load or is empty.
std::string catalogue_stamp(const std::string& bytes);
