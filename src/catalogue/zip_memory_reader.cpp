#include "catalogue/zip_memory_reader.h"

#include "catalogue/catalogue_error.h"
#include "catalogue/code_page.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace {
using Stream = MemoryZipReader::Stream;

voidpf ZCALLBACK open_stream(voidpf opaque, const void*, int mode) {
  if ((mode & ZLIB_FILEFUNC_MODE_WRITE) != 0) return nullptr;
  auto* stream = static_cast<Stream*>(opaque);
  stream->position = 0;
  return stream;
}

uLong ZCALLBACK read_stream(voidpf, voidpf handle, void* buffer, uLong size) {
  auto* stream = static_cast<Stream*>(handle);
  if (stream->position >= stream->bytes.size()) return 0;
  const uint64_t available = stream->bytes.size() - stream->position;
  const uLong count = static_cast<uLong>(std::min<uint64_t>(available, size));
  std::copy_n(stream->bytes.data() + stream->position, count, static_cast<char*>(buffer));
  stream->position += count;
  return count;
}

uLong ZCALLBACK write_stream(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK tell_stream(voidpf, voidpf handle) { return static_cast<Stream*>(handle)->position; }

long ZCALLBACK seek_stream(voidpf, voidpf handle, ZPOS64_T offset, int origin) {
  auto* stream = static_cast<Stream*>(handle);
  uint64_t base = 0;
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET: base = 0; break;
    case ZLIB_FILEFUNC_SEEK_CUR: base = stream->position; break;
    case ZLIB_FILEFUNC_SEEK_END: base = stream->bytes.size(); break;
    default: return -1;
  }
  if (offset > std::numeric_limits<uint64_t>::max() - base) return -1;
  // Past the end is allowed, as with a file; reads there give nothing.
  stream->position = base + offset;
  return 0;
}

int ZCALLBACK close_stream(voidpf, voidpf) { return 0; }
int ZCALLBACK stream_error(voidpf, voidpf) { return 0; }

char fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string current_member_name(unzFile archive) {
  unz_file_info64 info{};
  std::vector<char> name(1024);
  if (unzGetCurrentFileInfo64(archive, &info, name.data(), name.size(), nullptr, 0, nullptr, 0) != UNZ_OK) return "?";
  // Names are shown in messages: keep them short and in UTF-8.
  const size_t length = std::min<size_t>(info.size_filename, std::min<size_t>(name.size() - 1, 200));
  return cp1252_to_utf8(std::string_view(name.data(), length));
}

[[noreturn]] void fail_member(unzFile archive, std::string_view why) {
  throw CatalogueError("The member \"" + current_member_name(archive) + "\" of the channel database " + std::string(why));
}

// Deflate cannot expand data more than about 1032 times: a larger size in the directory is a lie.
constexpr uint64_t kMaxDeflateRatio = 1032;
constexpr uint64_t kDeflateSlack = 1024;
// minizip reads at most an unsigned int at a time.
constexpr size_t kLargestRead = size_t{1} << 30;
}  // namespace

MemoryZipReader::MemoryZipReader(std::string_view archive) {
  stream_.bytes = archive;
  zlib_filefunc64_def functions{};
  functions.zopen64_file = open_stream;
  functions.zread_file = read_stream;
  functions.zwrite_file = write_stream;
  functions.ztell64_file = tell_stream;
  functions.zseek64_file = seek_stream;
  functions.zclose_file = close_stream;
  functions.zerror_file = stream_error;
  functions.opaque = &stream_;
  file_ = unzOpen2_64("channels.dat", &functions);
}

MemoryZipReader::~MemoryZipReader() {
  if (file_) unzClose(file_);
}

bool member_name_matches(std::string_view entry, std::string_view wanted) {
  if (entry.size() != wanted.size()) return false;
  for (size_t i = 0; i < entry.size(); ++i)
    if (fold(entry[i]) != fold(wanted[i])) return false;
  return true;
}

bool MemoryZipReader::locate(std::string_view name) {
  if (!file_) return false;
  std::vector<char> buffer(name.size() + 1);
  for (int status = unzGoToFirstFile(file_); status == UNZ_OK; status = unzGoToNextFile(file_)) {
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(file_, &info, buffer.data(), buffer.size(), nullptr, 0, nullptr, 0) != UNZ_OK)
      return false;
    if (info.size_filename == name.size() && member_name_matches(std::string_view(buffer.data(), name.size()), name))
      return true;
  }
  return false;
}

uint64_t MemoryZipReader::current_size() const {
  unz_file_info64 info{};
  if (!file_ || unzGetCurrentFileInfo64(file_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) return 0;
  return info.uncompressed_size;
}

MemberReader::MemberReader(unzFile archive) : archive_(archive) {
  unz_file_info64 info{};
  if (unzGetCurrentFileInfo64(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
    fail_member(archive, "has a damaged directory entry.");
  size_ = info.uncompressed_size;
  const bool plausible = info.compression_method == 0 ? size_ == info.compressed_size
                         : info.compressed_size <= (std::numeric_limits<uint64_t>::max() - kDeflateSlack) / kMaxDeflateRatio &&
                               size_ <= info.compressed_size * kMaxDeflateRatio + kDeflateSlack;
  if (!plausible) fail_member(archive, "is damaged (its sizes do not fit together).");
  if (unzOpenCurrentFile(archive) != UNZ_OK) fail_member(archive, "cannot be opened (damaged or unsupported).");
  open_ = true;
}

MemberReader::~MemberReader() {
  if (open_) unzCloseCurrentFile(archive_);
}

size_t MemberReader::read(char* into, size_t capacity) {
  if (!open_) return 0;
  if (done_ == size_) {
    // The whole stated size is in: closing compares the CRC.
    open_ = false;
    const int closed = unzCloseCurrentFile(archive_);
    if (closed == UNZ_CRCERROR) fail_member(archive_, "fails its CRC check.");
    if (closed != UNZ_OK) fail_member(archive_, "cannot be read to its end.");
    return 0;
  }
  if (capacity == 0) return 0;
  const uint64_t wanted = std::min<uint64_t>({capacity, kLargestRead, size_ - done_});
  const int read = unzReadCurrentFile(archive_, into, static_cast<unsigned>(wanted));
  if (read < 0) fail_member(archive_, "cannot be inflated (damaged data).");
  if (read == 0) fail_member(archive_, "is shorter than its directory entry says.");
  done_ += static_cast<uint64_t>(read);
  return static_cast<size_t>(read);
}

std::string read_archive_member(unzFile archive) {
  MemberReader member(archive);
  if (member.size() > std::numeric_limits<size_t>::max() / 2)
    fail_member(archive, "is damaged (its sizes do not fit together).");
  std::string content(static_cast<size_t>(member.size()), '\0');
  size_t done = 0;
  while (const size_t read = member.read(content.data() + done, content.size() - done)) done += read;
  return content;
}
