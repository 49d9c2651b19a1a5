#include "catalogue/zip_memory_writer.h"

#include "catalogue/catalogue_error.h"

#include <minizip/zip.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {
struct Sink {
  std::string bytes;
  uint64_t position = 0;
};

voidpf ZCALLBACK open_sink(voidpf opaque, const void*, int) { return opaque; }

uLong ZCALLBACK read_sink(voidpf, voidpf handle, void* buffer, uLong size) {
  auto* sink = static_cast<Sink*>(handle);
  if (sink->position >= sink->bytes.size()) return 0;
  const uLong count = static_cast<uLong>(std::min<uint64_t>(size, sink->bytes.size() - sink->position));
  std::memcpy(buffer, sink->bytes.data() + sink->position, count);
  sink->position += count;
  return count;
}

uLong ZCALLBACK write_sink(voidpf, voidpf handle, const void* buffer, uLong size) {
  auto* sink = static_cast<Sink*>(handle);
  const uint64_t end = sink->position + size;
  if (end > sink->bytes.size()) sink->bytes.resize(static_cast<size_t>(end));
  std::memcpy(sink->bytes.data() + sink->position, buffer, size);
  sink->position = end;
  return size;
}

ZPOS64_T ZCALLBACK tell_sink(voidpf, voidpf handle) { return static_cast<Sink*>(handle)->position; }

long ZCALLBACK seek_sink(voidpf, voidpf handle, ZPOS64_T offset, int origin) {
  auto* sink = static_cast<Sink*>(handle);
  const uint64_t base = origin == ZLIB_FILEFUNC_SEEK_CUR   ? sink->position
                        : origin == ZLIB_FILEFUNC_SEEK_END ? sink->bytes.size()
                                                           : 0;
  sink->position = base + offset;
  return 0;
}

int ZCALLBACK close_sink(voidpf, voidpf) { return 0; }
int ZCALLBACK sink_error(voidpf, voidpf) { return 0; }

[[noreturn]] void fail(const std::string& what) { throw CatalogueError("Cannot build the archive: " + what); }
}  // namespace

std::string make_zip(const std::vector<ZipMember>& members, int level, ZipTimestamp when) {
  Sink sink;
  zlib_filefunc64_def functions{};
  functions.zopen64_file = open_sink;
  functions.zread_file = read_sink;
  functions.zwrite_file = write_sink;
  functions.ztell64_file = tell_sink;
  functions.zseek64_file = seek_sink;
  functions.zclose_file = close_sink;
  functions.zerror_file = sink_error;
  functions.opaque = &sink;
  zipFile zip = zipOpen2_64("archive.zip", APPEND_STATUS_CREATE, nullptr, &functions);
  if (!zip) fail("minizip could not start it");

  zip_fileinfo info{};
  info.tmz_date = {when.second, when.minute, when.hour, when.day, when.month - 1, when.year};
  for (const ZipMember& member : members) {
    const uint64_t size = member.content.size() * member.repeat;
    const int zip64 = size >= 0xFFFFFFFFu ? 1 : 0;
    const int method = member.deflate ? Z_DEFLATED : 0;
    if (zipOpenNewFileInZip64(zip, member.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method,
                              member.deflate ? level : 0, zip64) != ZIP_OK) {
      zipClose(zip, nullptr);
      fail("cannot add " + member.name);
    }
    for (uint64_t round = 0; round < member.repeat; ++round) {
      for (size_t done = 0; done < member.content.size();) {
        const unsigned chunk = static_cast<unsigned>(std::min<size_t>(member.content.size() - done, 1u << 24));
        if (zipWriteInFileInZip(zip, member.content.data() + done, chunk) != ZIP_OK) {
          zipClose(zip, nullptr);
          fail("cannot write " + member.name);
        }
        done += chunk;
      }
    }
    if (zipCloseFileInZip(zip) != ZIP_OK) {
      zipClose(zip, nullptr);
      fail("cannot finish " + member.name);
    }
  }
  if (zipClose(zip, nullptr) != ZIP_OK) fail("cannot write its directory");
  return std::move(sink.bytes);
}
