#pragma once
#include "catalogue/records.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// What the catalogue download decides, apart from the dialog that shows it.

// Status texts of the download.
inline const QString kStatusReady = QStringLiteral("Ready");
inline const QString kStatusInterrupted = QStringLiteral("Interrupted");
inline const QString kStatusComplete = QStringLiteral("Complete!");
inline const QString kStatusIncomplete = QStringLiteral("Incomplete download");
inline const QString kStatusUnknownProtocol = QStringLiteral("Unknown protocol");
inline const QString kStatusDamagedPrefix = QStringLiteral("Damaged catalogue: ");

// Reply codes in the 6-byte header: a new catalogue, or a message for the user.
constexpr uint16_t kReplyCatalogue = 258;
constexpr uint16_t kReplyMessage = 259;

// Byte counts for people: "1023 b", "977 Kb", "1.23 Mb" (a Kb is 1024 bytes, an Mb 1,000,000).
QString format_size(int64_t n);

// Bar position 0..100 for `count` of `total` bytes; nothing when the total is unknown (0 or less).
std::optional<int> progress_percent(int64_t count, int32_t total);
// " downloading  500 Kb of 1.02 Mb ..."
QString progress_text(int64_t count, int32_t total);

// The reply sorted out: a failed transfer, a body the header checks refuse, a message, a new
// catalogue or a code nobody knows.
struct DownloadReply {
  enum class Kind { Failed, Incomplete, Message, Catalogue, UnknownProtocol };
  Kind kind = Kind::Incomplete;
  QString status;       // the status text, except for Catalogue whose status comes from installing it
  std::string payload;  // Catalogue only: the bytes after the header
};
// A message longer than kMaxMessageBytes is cut there and ends in "...": the status is one line.
constexpr size_t kMaxMessageBytes = 1024;
// A catalogue's payload is the body itself with the header cut off in place: a reply of tens of
// megabytes is held once.
DownloadReply interpret_reply(const QString& transfer_error, std::string body);

// The status of a reply that was cut off for being larger than `limit_bytes`.
QString reply_too_large_status(qint64 limit_bytes);

// Loads catalogue bytes into `into` (see services/catalogue_trial_load.h); answers an empty text
// when they load cleanly, else the reason they do not.
using CatalogueTrialLoad = std::function<QString(Catalogue& into, std::string bytes)>;

struct InstallResult {
  QString status;       // kStatusComplete when channels.dat was replaced
  QString write_error;  // set when the file could not be written
  Catalogue catalogue;  // kStatusComplete only: what the payload loaded into, to become the catalogue
};
// Settles which came first, the user's Cancel or the replacing of channels.dat: a Cancel that comes
// once the file is being replaced is too late, and the new file must then be loaded all the same.
class InstallClaim {
 public:
  // Answers false when the file is already being replaced.
  bool cancel();
  // Answers false when Cancel came first; the file may be replaced otherwise.
  bool begin_replace();

 private:
  enum State { kOpen, kCancelled, kReplacing };
  std::atomic<int> state_{kOpen};
};

// Replaces channels.dat in the catalogue folder of `app_data` with `payload`, but only once the
// payload loads cleanly into `into` in a trial load; the file is written beside it and renamed
// over it, so the old catalogue stays whole whatever goes wrong. The payload is written first and
// then handed to the loader, which decrypts it in place, so it is never held twice.
//
// Runs on a worker thread. `claim` decides whether the user's Cancel came before the file is
// replaced: the status is then kStatusInterrupted and the file stays. A damaged payload wins over a
// file that cannot be written, as when the trial came first. What was loaded and is not answered
// is freed here, off the GUI thread.
InstallResult install_catalogue(const QString& app_data, std::string payload, Catalogue into,
                                const CatalogueTrialLoad& trial_load, InstallClaim& claim);
