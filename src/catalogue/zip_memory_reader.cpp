#include "catalogue/zip_memory_reader.h"

#include "catalogue/catalogue_error.h"
#include "catalogue/code_page.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>
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

// Deflate cannot expand data more than about 1032 times: a larger size in the directory is a lie.
constexpr uint64_t kMaxDeflateRatio = 1032;
constexpr uint64_t kDeflateSlack = 1024;
// zlib takes at most an unsigned int at a time.
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

MemberReader::MemberReader(MemoryZipReader& archive) {
  unzFile file = archive.handle();
  name_ = current_member_name(file);
  unz_file_info64 info{};
  if (unzGetCurrentFileInfo64(file, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
    fail("has a damaged directory entry.");
  size_ = info.uncompressed_size;
  const bool plausible = info.compression_method == 0 ? size_ == info.compressed_size
                         : info.compressed_size <= (std::numeric_limits<uint64_t>::max() - kDeflateSlack) / kMaxDeflateRatio &&
                               size_ <= info.compressed_size * kMaxDeflateRatio + kDeflateSlack;
  if (!plausible) fail("is damaged (its sizes do not fit together).");
  // Opening checks the member's local header and tells where its data starts.
  const bool supported = (info.compression_method == 0 || info.compression_method == Z_DEFLATED) && (info.flag & 1) == 0;
  if (!supported || unzOpenCurrentFile(file) != UNZ_OK) fail("cannot be opened (damaged or unsupported).");
  const uint64_t at = unzGetCurrentFileZStreamPos64(file);
  unzCloseCurrentFile(file);
  const std::string_view bytes = archive.bytes();
  if (at > bytes.size() || info.compressed_size > bytes.size() - at) fail("is shorter than its directory entry says.");
  data_ = bytes.substr(static_cast<size_t>(at), static_cast<size_t>(info.compressed_size));
  deflated_ = info.compression_method == Z_DEFLATED;
  discard_ = archive.discards_inflated_data();
  expected_crc_ = info.crc;
  crc_ = crc32_z(0, nullptr, 0);
  if (deflated_) {
    if (inflateInit2(&inflate_, -MAX_WBITS) != Z_OK) throw std::bad_alloc();
    inflating_ = true;
    inflate_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data_.data()));
  }
}

MemberReader::~MemberReader() {
  if (inflating_) inflateEnd(&inflate_);
}

namespace {
CatalogueError member_error(std::string_view member_name, std::string_view why) {
  return CatalogueError("The member \"" + std::string(member_name) + "\" of the channel database " + std::string(why));
}
}  // namespace

void MemberReader::fail(std::string_view why) const { throw member_error(name_, why); }

CatalogueError crc_failure(std::string_view member_name) { return member_error(member_name, "fails its CRC check."); }

size_t MemberReader::read(char* into, size_t capacity) {
  if (done_ == size_) {
    // The whole stated size is in: compare the CRC, once.
    if (!checked_) {
      checked_ = true;
      if (!crc_by_caller_ && crc_ != expected_crc_) throw crc_failure(name_);
    }
    return 0;
  }
  if (capacity == 0) return 0;
  const size_t wanted = static_cast<size_t>(std::min<uint64_t>({capacity, kLargestRead, size_ - done_}));
  size_t produced = 0;
  if (!deflated_) {
    std::memcpy(into, data_.data() + done_, wanted);
    produced = wanted;
  } else {
    // zlib takes at most an unsigned int of input at a time.
    const uint64_t consumed = static_cast<uint64_t>(reinterpret_cast<const char*>(inflate_.next_in) - data_.data());
    inflate_.avail_in = static_cast<uInt>(std::min<uint64_t>(data_.size() - consumed, kLargestRead));
    inflate_.next_out = reinterpret_cast<Bytef*>(into);
    inflate_.avail_out = static_cast<uInt>(wanted);
    const int status = inflate(&inflate_, Z_NO_FLUSH);
    produced = wanted - inflate_.avail_out;
    if (status == Z_DATA_ERROR || status == Z_NEED_DICT || status == Z_MEM_ERROR || status == Z_STREAM_ERROR)
      fail("cannot be inflated (damaged data).");
  }
  if (produced == 0) fail("is shorter than its directory entry says.");
  if (!crc_by_caller_) crc_ = crc32_z(crc_, reinterpret_cast<const Bytef*>(into), produced);
  done_ += produced;
  if (discard_) discard_consumed();
  return produced;
}

void MemberReader::discard_consumed() {
  // Whole pages inside the stored data and behind what zlib has taken in: nothing reads them again.
  const uint64_t consumed = deflated_ ? static_cast<uint64_t>(reinterpret_cast<const char*>(inflate_.next_in) - data_.data()) : done_;
  const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto from = reinterpret_cast<uintptr_t>(data_.data()) + discarded_;
  const uintptr_t begin = (from + page - 1) & ~(page - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(data_.data()) + consumed) & ~(page - 1);
  // A few megabytes at a time: each call costs a system call and a TLB flush.
  if (end <= begin || end - begin < (uintptr_t{4} << 20)) return;
  madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
  discarded_ = end - reinterpret_cast<uintptr_t>(data_.data());
}

std::string read_archive_member(MemoryZipReader& archive) {
  MemberReader member(archive);
  if (member.size() > std::numeric_limits<size_t>::max() / 2)
    member.fail("is damaged (its sizes do not fit together).");
  std::string content(static_cast<size_t>(member.size()), '\0');
  size_t done = 0;
  while (const size_t read = member.read(content.data() + done, content.size() - done)) done += read;
  return content;
}
