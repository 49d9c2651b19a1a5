#pragma once
#include <minizip/unzip.h>

#include <cstdint>
#include <string>
#include <string_view>

// A ZIP archive read straight from a buffer the caller keeps alive; nothing touches the disk.
class MemoryZipReader {
 public:
  explicit MemoryZipReader(std::string_view archive);
  ~MemoryZipReader();
  MemoryZipReader(const MemoryZipReader&) = delete;
  MemoryZipReader& operator=(const MemoryZipReader&) = delete;

  // False when the bytes are no archive that can be read: then every member counts as missing.
  bool is_open() const { return file_ != nullptr; }
  unzFile handle() const { return file_; }

  // Makes the first entry in central-directory order whose name equals name the current member,
  // comparing byte by byte with only the ASCII letters folded. A name under a folder
  // ("data/tv.dat") is not the same name as "tv.dat".
  bool locate(std::string_view name);

  struct Stream {
    std::string_view bytes;
    uint64_t position = 0;
  };

 private:
  Stream stream_;
  unzFile file_ = nullptr;
};

// The whole uncompressed content of the archive's current member, as long as its directory entry
// says. Throws CatalogueError naming the member when it cannot be inflated, is shorter than its
// entry says or fails its CRC check.
std::string read_archive_member(unzFile archive);

// True when the two names are equal with ASCII letters compared without regard to case.
bool member_name_matches(std::string_view entry, std::string_view wanted);
