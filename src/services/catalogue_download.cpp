#include "services/catalogue_download.h"

#include "catalogue/catalogue_paths.h"
#include "catalogue/code_page.h"
#include "services/service_addresses.h"

#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <utility>

QString format_size(int64_t n) {
  if (n < 1024) return QString::number(n) + QStringLiteral(" b");
  if (n < 1000000) return QString::number(static_cast<double>(n) / 1024.0, 'f', 0) + QStringLiteral(" Kb");
  return QString::number(static_cast<double>(n) / 1000000.0, 'f', 2) + QStringLiteral(" Mb");
}

std::optional<int> progress_percent(int64_t count, int32_t total) {
  if (total <= 0) return std::nullopt;
  const double percent = std::round(static_cast<double>(count) / total * 100.0);
  return static_cast<int>(std::clamp(percent, 0.0, 100.0));
}

QString progress_text(int64_t count, int32_t total) {
  return QStringLiteral(" downloading  ") + format_size(count) + QStringLiteral(" of ") + format_size(total) +
         QStringLiteral(" ...");
}

DownloadReply interpret_reply(const QString& transfer_error, std::string body) {
  using Kind = DownloadReply::Kind;
  if (!transfer_error.isEmpty()) return {Kind::Failed, transfer_error, {}};
  if (body.size() <= 7) return {Kind::Incomplete, kStatusIncomplete, {}};
  // Little-endian: 16-bit code, then the signed 32-bit length of the whole body.
  const auto* bytes = reinterpret_cast<const unsigned char*>(body.data());
  const uint16_t code = static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
  const uint32_t raw_length = static_cast<uint32_t>(bytes[2]) | (static_cast<uint32_t>(bytes[3]) << 8) |
                              (static_cast<uint32_t>(bytes[4]) << 16) | (static_cast<uint32_t>(bytes[5]) << 24);
  const int32_t length = static_cast<int32_t>(raw_length);
  if (length < 0 || static_cast<size_t>(length) != body.size()) return {Kind::Incomplete, kStatusIncomplete, {}};
  const std::string_view payload = std::string_view(body).substr(6);
  if (code == kReplyMessage) {
    if (payload.size() <= kMaxMessageBytes) return {Kind::Message, cp1252_to_qstring(payload), {}};
    return {Kind::Message, cp1252_to_qstring(payload.substr(0, kMaxMessageBytes)) + QStringLiteral("..."), {}};
  }
  if (code == kReplyCatalogue) {
    body.erase(0, 6);
    return {Kind::Catalogue, {}, std::move(body)};
  }
  return {Kind::UnknownProtocol, kStatusUnknownProtocol, {}};
}

QString reply_too_large_status(qint64 limit_bytes) {
  return QStringLiteral("Refused: the reply is larger than %1 (setting \"%2\")")
      .arg(format_size(limit_bytes), kCatalogueLimitKey);
}

bool InstallClaim::cancel() {
  int seen = kOpen;
  return state_.compare_exchange_strong(seen, kCancelled) || seen == kCancelled;
}

bool InstallClaim::begin_replace() {
  int seen = kOpen;
  return state_.compare_exchange_strong(seen, kReplacing) || seen == kReplacing;
}

InstallResult install_catalogue(const QString& app_data, std::string payload, Catalogue into,
                                const CatalogueTrialLoad& trial_load, InstallClaim& claim) {
  const auto write_error = [&](const QFileDevice& file) {
    return QStringLiteral("Cannot write %1: %2").arg(channels_path(app_data), file.errorString());
  };
  ensure_catalogue_folder(app_data);
  QSaveFile file(channels_path(app_data));
  QString unwritten;
  const auto size = static_cast<qint64>(payload.size());
  if (!file.open(QIODevice::WriteOnly) || file.write(payload.data(), size) != size) unwritten = write_error(file);

  const QString reason = trial_load(into, std::move(payload));
  InstallResult result;
  if (!reason.isEmpty()) {
    result.status = kStatusDamagedPrefix + reason;
  } else if (!unwritten.isEmpty()) {
    result.status = result.write_error = unwritten;
  } else if (!claim.begin_replace()) {
    result.status = kStatusInterrupted;
  } else if (!file.commit()) {
    result.status = result.write_error = write_error(file);
  } else {
    result.status = kStatusComplete;
    result.catalogue = std::move(into);
  }
  // Not committed: the temporary file goes with `file`, and channels.dat is as it was.
  return result;
}
