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

// Deflate cannot expand data more than about 1032 times: a larger size in the directory is a lie
// and would only make us reserve memory that the member can never fill.
constexpr uint64_t kMaxDeflateRatio = 1032;
constexpr uint64_t kDeflateSlack = 1024;
constexpr unsigned kReadChunk = 1u << 20;

class OpenMember {
 public:
  explicit OpenMember(unzFile archive) : archive_(archive) {
    if (unzOpenCurrentFile(archive) != UNZ_OK) fail_member(archive, "cannot be opened (damaged or unsupported).");
  }
  ~OpenMember() {
    if (archive_) unzCloseCurrentFile(archive_);
  }
  // Closing is where the CRC is compared, once the whole content has been read.
  int close() {
    const int result = unzCloseCurrentFile(archive_);
    archive_ = nullptr;
    return result;
  }

 private:
  unzFile archive_;
};
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

std::string read_archive_member(unzFile archive) {
  unz_file_info64 info{};
  if (unzGetCurrentFileInfo64(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
    fail_member(archive, "has a damaged directory entry.");
  const uint64_t size = info.uncompressed_size;
  const bool plausible = info.compression_method == 0 ? size == info.compressed_size
                         : info.compressed_size <= (std::numeric_limits<uint64_t>::max() - kDeflateSlack) / kMaxDeflateRatio &&
                               size <= info.compressed_size * kMaxDeflateRatio + kDeflateSlack;
  if (!plausible || size > std::numeric_limits<size_t>::max() / 2)
    fail_member(archive, "is damaged (its sizes do not fit together).");

  OpenMember member(archive);
  std::string content(static_cast<size_t>(size), '\0');
  for (uint64_t done = 0; done < size;) {
    const unsigned chunk = static_cast<unsigned>(std::min<uint64_t>(kReadChunk, size - done));
    const int read = unzReadCurrentFile(archive, content.data() + done, chunk);
    if (read < 0) fail_member(archive, "cannot be inflated (damaged data).");
    if (read == 0) fail_member(archive, "is shorter than its directory entry says.");
    done += static_cast<uint64_t>(read);
  }
  const int closed = member.close();
  if (closed == UNZ_CRCERROR) fail_member(archive, "fails its CRC check.");
  if (closed != UNZ_OK) fail_member(archive, "cannot be read to its end.");
  return content;
}
