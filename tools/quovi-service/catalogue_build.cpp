#include "catalogue_build.h"

#include "catalogue/catalogue_error.h"
#include "catalogue/channel_cipher.h"
#include "catalogue/channel_database.h"
#include "catalogue/records.h"
#include "catalogue/strict_number.h"
#include "catalogue/text_split.h"
#include "catalogue/zip_memory_reader.h"
#include "catalogue_reply.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <sstream>

namespace {
constexpr size_t kChannelFields = 16;
constexpr std::string_view kChannelMembers[] = {"tv.dat", "radio.dat", "video.dat"};

std::string read_whole_file(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    throw std::runtime_error("cannot read " + path.toStdString() + ": " + file.errorString().toStdString());
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError)
    throw std::runtime_error("cannot read " + path.toStdString() + ": " + file.errorString().toStdString());
  return bytes.toStdString();
}

bool is_channel_member(std::string_view name) {
  return std::any_of(std::begin(kChannelMembers), std::end(kChannelMembers),
                     [name](std::string_view m) { return member_name_matches(name, m); });
}

int32_t add_saturated(int32_t base, int64_t extra) {
  const int64_t sum = static_cast<int64_t>(base) + extra;
  return static_cast<int32_t>(std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// A rating sum as the loader reads it: "." as separator, no exponent, no needless decimals.
std::string format_rating(double value) {
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  return std::string(buffer, result.ptr);
}

std::string line_error(std::string_view member, size_t line, const std::string& what) {
  return std::string(member) + " line " + std::to_string(line) + ": " + what;
}

// The channel line with the feedback added; the caller checked the field count.
std::string folded_line(std::string_view member, size_t line_number, const TextFields& fields,
                        const ChannelFeedback& f) {
  const auto rating = parse_real(fields[9]);
  if (!rating) throw CatalogueError(line_error(member, line_number, "the rating is no number"));
  int32_t counts[6];
  for (size_t i = 0; i < 6; ++i) {
    const auto value = parse_int32(fields[10 + i]);
    if (!value) throw CatalogueError(line_error(member, line_number, "field " + std::to_string(10 + i) + " is no whole number"));
    counts[i] = *value;
  }
  const int64_t extra[6] = {f.rating_count, f.workfine, f.notworking + f.broken_reports, f.wrong, f.duplicate, f.spam};
  std::string out;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out += '|';
    if (i == 9)
      out += format_rating(*rating + static_cast<double>(f.rating_sum));
    else if (i >= 10 && i < kChannelFields)
      out += std::to_string(add_saturated(counts[i - 10], extra[i - 10]));
    else
      out.append(fields[i]);
  }
  return out;
}

std::string stamp_of(const QDateTime& t) { return t.toString(QStringLiteral("yyyyMMddHHmm")).toStdString(); }
}  // namespace

std::vector<ZipMember> read_source_members(const std::string& path) {
  const QString qpath = QFile::decodeName(path.c_str());
  std::vector<ZipMember> members;
  if (QFileInfo(qpath).isDir()) {
    for (const QFileInfo& entry : QDir(qpath).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name))
      members.push_back({QFile::encodeName(entry.fileName()).toStdString(), read_whole_file(entry.filePath())});
    if (members.empty()) throw std::runtime_error("the folder holds no member files: " + path);
    return members;
  }
  try {
    return members_of_channel_file(read_whole_file(qpath));
  } catch (const CatalogueError& e) {
    throw CatalogueError(path + ": " + e.what());
  }
}

std::vector<ZipMember> members_of_channel_file(const std::string& bytes) {
  const std::string plain = decrypt_channel_file(bytes);
  MemoryZipReader archive(plain);
  if (!archive.is_open()) throw CatalogueError("does not decrypt to a ZIP archive");
  std::vector<ZipMember> members;
  for (int status = unzGoToFirstFile(archive.handle()); status == UNZ_OK; status = unzGoToNextFile(archive.handle())) {
    unz_file_info64 info{};
    std::vector<char> name(65536);
    if (unzGetCurrentFileInfo64(archive.handle(), &info, name.data(), name.size(), nullptr, 0, nullptr, 0) != UNZ_OK)
      throw CatalogueError("damaged archive directory");
    const std::string member(name.data(), std::min<size_t>(info.size_filename, name.size() - 1));
    members.push_back({member, read_archive_member(archive)});
  }
  return members;
}

FoldResult fold_feedback_into_member(std::string_view member, std::string_view content,
                                     const std::map<int32_t, ChannelFeedback>& totals) {
  FoldResult result;
  result.content.reserve(content.size() + content.size() / 8);
  // The loaders stop at the first NUL; whatever follows it is kept as it is.
  const size_t nul = content.find('\0');
  const std::string_view text = content.substr(0, nul);
  TextFields fields;
  size_t pos = 0;
  size_t line_number = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    size_t next = end;
    if (next < text.size()) next += (text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n') ? 2 : 1;
    const std::string_view line = text.substr(pos, end - pos);
    const std::string_view line_end = text.substr(end, next - end);
    ++line_number;
    pos = next;
    split_text_into(fields, "|", line);
    if (fields.size() < kChannelFields)
      throw CatalogueError(line_error(member, line_number, "a channel line needs 16 fields, this one has " +
                                                               std::to_string(fields.size())));
    const auto id = parse_int32(fields[0]);
    if (!id) throw CatalogueError(line_error(member, line_number, "the channel id is no whole number"));
    const auto it = totals.find(*id);
    if (it == totals.end()) {
      result.content.append(line);
    } else {
      result.content += folded_line(member, line_number, fields, it->second);
      ++result.channels_changed;
      result.matched_ids.push_back(*id);
    }
    result.content.append(line_end);
  }
  if (nul != std::string_view::npos) result.content.append(content.substr(nul));
  return result;
}

BuildSummary fold_feedback_into_catalogue(std::vector<ZipMember>& members,
                                          const std::map<int32_t, ChannelFeedback>& totals,
                                          const std::string& stamp) {
  BuildSummary summary;
  summary.stamp = stamp;
  std::map<int32_t, bool> seen;
  for (const auto& [id, _] : totals) seen[id] = false;
  stamp_members(members, stamp);
  for (ZipMember& m : members) {
    if (!is_channel_member(m.name)) continue;
    FoldResult folded = fold_feedback_into_member(m.name, m.content, totals);
    summary.channels_changed += folded.channels_changed;
    for (int32_t id : folded.matched_ids) seen[id] = true;
    m.content = std::move(folded.content);
  }
  for (const auto& [id, found] : seen)
    if (!found) summary.unknown_channel_ids.push_back(id);
  return summary;
}

void stamp_members(std::vector<ZipMember>& members, const std::string& stamp) {
  bool has_version = false;
  for (ZipMember& m : members) {
    if (!member_name_matches(m.name, "version.dat")) continue;
    // Only the first match is read by the loader, but no stale stamp should stay anywhere.
    m.content = stamp + "\r\n";
    has_version = true;
  }
  if (!has_version) members.insert(members.begin(), ZipMember{"version.dat", stamp + "\r\n"});
}

std::string next_version_stamp(const QDateTime& now, const std::vector<std::string>& earlier_stamps) {
  std::string latest;
  for (const auto& s : earlier_stamps)
    if (is_version_stamp(s) && s > latest) latest = s;
  const std::string candidate = stamp_of(now);
  if (latest.empty() || candidate > latest) return candidate;
  const QDateTime after = QDateTime::fromString(QString::fromStdString(latest), QStringLiteral("yyyyMMddHHmm"));
  if (!after.isValid()) return candidate;
  return stamp_of(after.addSecs(60));
}

std::string make_channel_file(const std::vector<ZipMember>& members, const QDateTime& when) {
  const ZipTimestamp time{static_cast<unsigned>(when.date().year()), static_cast<unsigned>(when.date().month()),
                          static_cast<unsigned>(when.date().day()), static_cast<unsigned>(when.time().hour()),
                          static_cast<unsigned>(when.time().minute()), static_cast<unsigned>(when.time().second())};
  std::string file = encrypt_channel_file(make_zip(members, 9, time));
  Catalogue trial;
  try {
    load_channel_database_bytes(trial, {}, file);
  } catch (const std::exception& e) {
    throw CatalogueError(std::string("the new catalogue does not load: ") + e.what());
  }
  return file;
}

std::string describe_submission(const StoredSubmission& s) {
  static const char* const kGroups[] = {"?", "TV", "radio", "video"};
  const auto& c = s.channel;
  std::ostringstream out;
  out << '#' << s.number << "  " << s.received << "  " << kGroups[c.group_id >= 1 && c.group_id <= 3 ? c.group_id : 0]
      << "  \"" << c.name << "\"  " << c.url << "  bitrate " << c.bitrate << ", type " << c.type_id << ", country "
      << c.country_id << ", genre " << c.genre_id;
  if (!c.homepage.empty()) out << ", homepage " << c.homepage;
  if (!c.comment.empty()) out << ", comment \"" << c.comment << '"';
  return out.str();
}
