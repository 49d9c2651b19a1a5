#pragma once
#include "catalogue/zip_memory_writer.h"
#include "published_catalogues.h"

#include <QDateTime>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// How the service publishes the catalogue file it serves.
struct PublishOptions {
  // Stamp the catalogue with the time it is published instead of its own stamp: when the service
  // first reads it, whenever the file changes, and again once the stamp is a day old. A client
  // that downloaded it once is then current for the next two weeks (the demo, whose packaged
  // stamp would otherwise age on every computer it is installed on).
  bool fresh_stamp = false;
  // Where the catalogue names its own service (kServiceAddressToken): the address for requests
  // that do not say which address they reached.
  std::string default_base = "http://127.0.0.1:8741";
  // Catalogues built for different addresses kept at once (see PublishedCatalogues).
  size_t addresses_kept = 32;
  size_t bytes_kept = size_t{64} << 20;
  std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
  // Called as a catalogue is built to be published for an address, outside any lock (for tests).
  std::function<void(const std::string& address)> building;
};

// The catalogue file the service hands out. It is read again whenever it changes on disk, so a
// freshly built catalogue is served without a restart. A file that does not load as a catalogue
// is not served: clients would only fail on it. Any thread may ask for it: a catalogue being built
// for one address holds up no request for another, and requests for an address whose catalogue
// is being built wait for that build instead of making their own.
class CatalogueFile {
 public:
  struct Snapshot {
    std::shared_ptr<const std::string> bytes;  // never null; empty when there is nothing to serve
    std::string stamp;                         // the version stamp clients are compared with
    std::string problem;                       // why nothing is served, empty when all is well
  };

  explicit CatalogueFile(std::filesystem::path path, PublishOptions options = {});
  // The catalogue as published to a client that reached the service at `base` ("http://host:port";
  // empty: the default). A file that neither names the service nor is stamped afresh is served as
  // it is on disk.
  Snapshot current(const std::string& base = {});

 private:
  void read_if_changed(const QDateTime& now);
  void renew_stamp_if_old(const QDateTime& now);
  void forget_published();
  Snapshot build(const std::string& address, const QDateTime& now, std::unique_lock<std::mutex>& lock);

  std::filesystem::path path_;
  PublishOptions options_;
  std::mutex mutex_;
  std::filesystem::file_time_type seen_time_{};
  std::uintmax_t seen_size_ = static_cast<std::uintmax_t>(-1);

  std::string problem_ = "not read yet";
  std::shared_ptr<const std::string> file_bytes_;
  std::string stamp_;
  // Set when the catalogue is built anew to be published: its members, and when it was stamped.
  std::shared_ptr<const std::vector<ZipMember>> members_;
  bool rebuilt_ = false;
  bool names_service_ = false;
  QDateTime stamped_at_;
  PublishedCatalogues published_;
  // Builds under way, by address. The generation counts the changes of what is built (the file
  // read anew, a new stamp): a build of an earlier generation is neither joined nor kept.
  struct Building {
    uint64_t generation;
    std::shared_future<Snapshot> result;
  };
  std::map<std::string, Building> building_;
  uint64_t generation_ = 0;
};

// The version stamp of a catalogue file's content; throws when it does not load or is empty.
std::string catalogue_stamp(const std::string& bytes);
