#pragma once
#include "catalogue/catalogue_error.h"

#include <minizip/unzip.h>
#include <zlib.h>

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

  // The uncompressed size the current member's directory entry states; 0 when it cannot be read.
  uint64_t current_size() const;

  // The archive's bytes, as given.
  std::string_view bytes() const { return stream_.bytes; }

  // Lets the member readers give the pages of stored data they have inflated back to the system as
  // they go, which zeroes them: for a caller that owns the bytes (mapped memory) and reads each
  // member once, so that a large archive and what is made from it are not held whole together.
  void discard_inflated_data() { discard_inflated_ = true; }
  bool discards_inflated_data() const { return discard_inflated_; }

  struct Stream {
    std::string_view bytes;
    uint64_t position = 0;
  };

 private:
  Stream stream_;
  unzFile file_ = nullptr;
  bool discard_inflated_ = false;
};

// The archive's current member (the one just located), inflated a piece at a time so that it never
// has to be in memory whole. minizip finds and checks the member's headers; its data is inflated
// by zlib straight from the archive's bytes. Throws CatalogueError naming the member when its
// directory entry is damaged, its sizes cannot fit together or its data lies outside the archive,
// or it cannot be opened (damaged, encrypted or compressed by another method than deflate).
class MemberReader {
 public:
  explicit MemberReader(MemoryZipReader& archive);
  ~MemberReader();
  MemberReader(const MemberReader&) = delete;
  MemberReader& operator=(const MemberReader&) = delete;

  // The uncompressed size its directory entry states.
  uint64_t size() const { return size_; }

  // Inflates the next bytes into [into, into + capacity), capacity > 0, and answers how many; 0
  // only once the member has been read to its end and passed its CRC check. Throws CatalogueError naming the
  // member when its data cannot be inflated, ends before its stated size or fails the check. A
  // reader that stops early checks nothing.
  size_t read(char* into, size_t capacity);

  // Throws CatalogueError naming the member, saying why.
  [[noreturn]] void fail(std::string_view why) const;

  // For a caller that computes the CRC of the bytes itself, on another thread than the inflate:
  // read() then checks everything but the CRC, and the caller compares with expected_crc().
  void leave_crc_to_caller() { crc_by_caller_ = true; }
  uLong expected_crc() const { return expected_crc_; }
  const std::string& name() const { return name_; }

 private:
  void discard_consumed();

  std::string name_;         // for messages
  bool discard_ = false;     // give pages of data_ back once inflated
  uint64_t discarded_ = 0;   // of data_, so far
  std::string_view data_;    // the member's stored bytes
  bool deflated_ = false;
  z_stream inflate_{};
  bool inflating_ = false;   // inflate_ holds zlib's state
  uint64_t size_ = 0;
  uint64_t done_ = 0;
  uLong expected_crc_ = 0;
  uLong crc_ = 0;
  bool crc_by_caller_ = false;
  bool checked_ = false;
};

// The error of the named member whose bytes do not have the CRC its directory entry states.
CatalogueError crc_failure(std::string_view member_name);

// The whole uncompressed content of the archive's current member, as long as its directory entry
// says, with the errors of MemberReader. For tools that unpack an archive; the loader never takes a
// member whole.
std::string read_archive_member(MemoryZipReader& archive);

// True when the two names are equal with ASCII letters compared without regard to case.
bool member_name_matches(std::string_view entry, std::string_view wanted);
