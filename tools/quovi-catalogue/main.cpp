// quovi-catalogue: packs, unpacks, lists, checks and generates channel database files.
#include "build_command.h"
#include "check_command.h"
#include "catalogue/catalogue_dump.h"
#include "catalogue/catalogue_error.h"
#include "catalogue/catalogue_generator.h"
#include "catalogue/channel_cipher.h"
#include "catalogue/channel_database.h"
#include "catalogue/hostile_catalogue.h"
#include "catalogue/lookups.h"
#include "catalogue/zip_memory_reader.h"
#include "catalogue/zip_memory_writer.h"
#include "guide/guide_listing.h"
#include "guide/xmltv_reader.h"
#include "playlists/channel_playlist.h"
#include "playlists/m3u_writer.h"
#include "playlists/playlist_listing.h"
#include "playlists/playlist_reader.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <iostream>
#include <map>
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

namespace {
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

constexpr const char* kUsage =
    "usage: quovi-catalogue pack --zip FILE -o OUT | pack DIR -o OUT | unpack FILE -o DIR | dump FILE | check FILE | "
    "generate --tv N --radio N --video N [--seed S] -o OUT | "
    "hostile nuls|line-ends|bars|channels [--size N] -o OUT | "
    "build SOURCE -o OUT [--feedback DATABASE] [--stamp YYYYMMDDhhmm] [--static FOLDER] | playlist FILE | export FILE -o OUT | guide FILE [--all]";

std::string local_path(const QString& path) { return QFile::encodeName(path).toStdString(); }

std::string read_file(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read " + local_path(path) + ": " + file.errorString().toStdString());
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) throw std::runtime_error("cannot read " + local_path(path) + ": " + file.errorString().toStdString());
  return bytes.toStdString();
}

void write_file(const QString& path, const std::string& bytes) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()) || !file.commit())
    throw std::runtime_error("cannot write " + local_path(path) + ": " + file.errorString().toStdString());
}

// Options "--name value" and the remaining positional arguments.
struct Arguments {
  std::map<std::string, std::string> options;
  std::vector<std::string> positional;

  Arguments(int argc, char** argv, int first) {
    for (int i = first; i < argc; ++i) {
      const std::string arg = argv[i];
      if (arg.size() > 1 && arg[0] == '-') {
        if (i + 1 >= argc) throw UsageError("missing value after " + arg);
        if (!options.emplace(arg, argv[++i]).second) throw UsageError("option given twice: " + arg);
      } else {
        positional.push_back(arg);
      }
    }
  }
  std::string take(const std::string& name) {
    const auto it = options.find(name);
    if (it == options.end()) throw UsageError("missing option " + name);
    std::string value = it->second;
    options.erase(it);
    return value;
  }
  std::string take_or(const std::string& name, const std::string& fallback) {
    return options.count(name) ? take(name) : fallback;
  }
  void expect_done(size_t positional_count) const {
    if (!options.empty()) throw UsageError("unknown option " + options.begin()->first);
    if (positional.size() != positional_count) throw UsageError(kUsage);
  }
};

uint64_t count_argument(const std::string& name, const std::string& text) {
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size())
    throw UsageError(name + " needs a whole number, not \"" + text + "\"");
  return value;
}

QString q(const std::string& path) { return QFile::decodeName(path.c_str()); }

int pack(Arguments args) {
  const QString out = q(args.take("-o"));
  std::string zip;
  if (args.options.count("--zip")) {
    const QString source = q(args.take("--zip"));
    args.expect_done(0);
    zip = read_file(source);
  } else {
    args.expect_done(1);
    const QDir folder(q(args.positional[0]));
    if (!folder.exists()) throw std::runtime_error("no such folder: " + args.positional[0]);
    std::vector<ZipMember> members;
    for (const QFileInfo& entry : folder.entryInfoList(QDir::Files | QDir::Hidden, QDir::Name))
      members.push_back({local_path(entry.fileName()), read_file(entry.filePath())});
    if (members.empty()) throw std::runtime_error("the folder holds no files: " + args.positional[0]);
    const QDateTime now = QDateTime::currentDateTime();
    zip = make_zip(members, 9,
                   ZipTimestamp{static_cast<unsigned>(now.date().year()), static_cast<unsigned>(now.date().month()),
                                static_cast<unsigned>(now.date().day()), static_cast<unsigned>(now.time().hour()),
                                static_cast<unsigned>(now.time().minute()), static_cast<unsigned>(now.time().second())});
  }
  write_file(out, encrypt_channel_file(zip));
  return 0;
}

// Where a member is extracted to: its relative path under the folder. A name that would reach
// outside the folder (absolute, "..", backslashes) is refused.
QString member_target(const QDir& folder, const std::string& member) {
  bool safe = !member.empty() && member[0] != '/' && member.find('\\') == std::string::npos &&
              member.find('\0') == std::string::npos;
  size_t start = 0;
  while (safe && start < member.size()) {
    const size_t slash = std::min(member.find('/', start), member.size());
    const std::string part = member.substr(start, slash - start);
    if (part.empty() ? slash != member.size() - 1 : (part == "." || part == "..")) safe = false;
    start = slash + 1;
  }
  if (!safe) throw std::runtime_error("refusing member name \"" + member + "\"");
  return folder.filePath(q(member));
}

int unpack(Arguments args) {
  const QString out = q(args.take("-o"));
  args.expect_done(1);
  const std::string plain = decrypt_channel_file(read_file(q(args.positional[0])));
  MemoryZipReader archive(plain);
  if (!archive.is_open()) throw std::runtime_error(args.positional[0] + " does not decrypt to a ZIP archive");
  if (!QDir().mkpath(out)) throw std::runtime_error("cannot create folder " + local_path(out));
  for (int status = unzGoToFirstFile(archive.handle()); status == UNZ_OK; status = unzGoToNextFile(archive.handle())) {
    unz_file_info64 info{};
    std::vector<char> name(65536);
    if (unzGetCurrentFileInfo64(archive.handle(), &info, name.data(), name.size(), nullptr, 0, nullptr, 0) != UNZ_OK)
      throw std::runtime_error("damaged archive directory");
    const std::string member(name.data(), std::min<size_t>(info.size_filename, name.size() - 1));
    const QString target = member_target(QDir(out), member);
    if (member.back() == '/') {
      if (!QDir().mkpath(target)) throw std::runtime_error("cannot create folder " + local_path(target));
      continue;
    }
    if (!QDir().mkpath(QFileInfo(target).path())) throw std::runtime_error("cannot create folder for " + member);
    write_file(target, read_archive_member(archive));
  }
  return 0;
}

int dump(Arguments args) {
  args.expect_done(1);
  std::string bytes = read_file(q(args.positional[0]));
  std::ios::sync_with_stdio(false);
  const int code = dump_channel_file(std::cout, std::move(bytes));
  std::cout.flush();
  return code;
}

int check(Arguments args) {
  args.expect_done(1);
  const std::string& path = args.positional[0];
  std::string bytes = read_file(q(path));
  std::string summary;
  try {
    summary = check_channel_file(std::move(bytes));
  } catch (const std::exception& e) {
    throw std::runtime_error(path + ": " + e.what());
  }
  std::cout << path << ": " << summary << '\n';
  return 0;
}

int generate(Arguments args) {
  GeneratorOptions options;
  options.tv = count_argument("--tv", args.take("--tv"));
  options.radio = count_argument("--radio", args.take("--radio"));
  options.video = count_argument("--video", args.take("--video"));
  options.seed = count_argument("--seed", args.take_or("--seed", "1"));
  const QString out = q(args.take("-o"));
  args.expect_done(0);
  constexpr uint64_t kMost = 20'000'000;  // ids stay within 32 bits
  if (options.tv + options.radio + options.video > kMost) throw UsageError("at most 20000000 channels in all");
  write_file(out, generate_channel_file(options));
  return 0;
}

// Small files that inflate enormously, to try the loader against.
int hostile(Arguments args) {
  const QString out = q(args.take("-o"));
  const std::string size = args.take_or("--size", "");
  args.expect_done(1);
  const auto kind = hostile_kind(args.positional[0]);
  if (!kind) throw UsageError("no such hostile catalogue: " + args.positional[0]);
  write_file(out, hostile_channel_file(*kind, size.empty() ? default_hostile_size(*kind) : count_argument("--size", size)));
  return 0;
}

// Lists a playlist as the program reads it; why the first few unused lines were not used goes to stderr.
int playlist(Arguments args) {
  args.expect_done(1);
  const Playlist playlist = read_playlist_file(q(args.positional[0]));
  std::ios::sync_with_stdio(false);
  write_playlist_listing(std::cout, playlist);
  std::cout.flush();
  for (const SkippedLine& skipped : playlist.skip_examples)
    std::cerr << "line " << skipped.line << ": " << skipped.reason << '\n';
  return 0;
}

// Every channel of a catalogue file, in the file's order, as an extended M3U playlist.
int export_playlist(Arguments args) {
  const QString out = q(args.take("-o"));
  args.expect_done(1);
  Catalogue catalogue;
  reset_catalogue(catalogue);
  load_channel_database_bytes(catalogue, {}, read_file(q(args.positional[0])));
  std::vector<int> positions(catalogue.channels.size());
  std::iota(positions.begin(), positions.end(), 0);
  write_file(out, write_extended_m3u(playlist_of_channels(catalogue.channels, positions)));
  return 0;
}

// Lists a guide as the program reads it: within the program's days, or every day with --all. A
// guide the program would not read whole is listed as far as it was read, its problem goes to
// stderr and the exit code is 1.
int guide(std::vector<std::string> args) {
  const auto all = std::find(args.begin(), args.end(), "--all");
  const bool every_day = all != args.end();
  if (every_day) args.erase(all);
  if (args.size() != 1 || args[0].starts_with("-")) throw UsageError(kUsage);
  const GuideRead read =
      read_guide_file(q(args[0]), {every_day ? every_guide_day() : current_guide_window()});
  std::ios::sync_with_stdio(false);
  write_guide_listing(std::cout, read.guide);
  std::cout.flush();
  if (read.problem.empty()) return 0;
  std::cerr << "quovi-catalogue: " << args[0] << ": " << read.problem << '\n';
  return 1;
}

// Keeps the one-line promise even when a message holds line ends.
std::string one_line(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  std::replace(text.begin(), text.end(), '\r', ' ');
  return text;
}
}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc < 2) throw UsageError(kUsage);
    const std::string command = argv[1];
    if (command == "build") return run_build_command(std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr);
    if (command == "guide") return guide(std::vector<std::string>(argv + 2, argv + argc));
    Arguments args(argc, argv, 2);
    if (command == "pack") return pack(std::move(args));
    if (command == "unpack") return unpack(std::move(args));
    if (command == "dump") return dump(std::move(args));
    if (command == "check") return check(std::move(args));
    if (command == "generate") return generate(std::move(args));
    if (command == "hostile") return hostile(std::move(args));
    if (command == "playlist") return playlist(std::move(args));
    if (command == "export") return export_playlist(std::move(args));
    throw UsageError(kUsage);
  } catch (const UsageError& e) {
    std::cerr << "quovi-catalogue: " << one_line(e.what()) << '\n';
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "quovi-catalogue: " << one_line(e.what()) << '\n';
    return 1;
  }
}
