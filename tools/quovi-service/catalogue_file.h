#pragma once
#include "catalogue/zip_memory_writer.h"

#include <QDateTime>

#include <filesystem>
#include <functional>
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
  std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
};

// The catalogue file the service hands out. It is read again whenever it changes on disk, so a
// freshly built catalogue is served without a restart. A file that does not load as a catalogue
// is not served: clients would only fail on it.
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
  std::shared_ptr<const std::string> published(const std::string& base, const QDateTime& now);

  std::filesystem::path path_;
  PublishOptions options_;
  std::mutex mutex_;
  std::filesystem::file_time_type seen_time_{};
  std::uintmax_t seen_size_ = static_cast<std::uintmax_t>(-1);

  std::string problem_ = "not read yet";
  std::shared_ptr<const std::string> file_bytes_;
  std::string stamp_;
  // Set when the catalogue is built anew to be published: its members, and when it was stamped.
  std::vector<ZipMember> members_;
  bool rebuilt_ = false;
  bool names_service_ = false;
  QDateTime stamped_at_;
  std::map<std::string, std::shared_ptr<const std::string>> built_;  // by base address, a few
};

// The version stamp of a catalogue file's content; throws when it does not load or is empty.
std::string catalogue_stamp(const std::string& bytes);
