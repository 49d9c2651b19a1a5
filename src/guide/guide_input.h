#pragma once
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// The bytes of a guide document from a plain or a gzip-compressed source, decompressed as they are
// asked for, so a guide of any size passes through a fixed amount of memory.
class GuideInput {
 public:
  // Reads up to `capacity` bytes of the source into `out`: how many, 0 at its end, -1 on an error.
  using RawRead = std::function<long long(char* out, size_t capacity)>;
  // More than any real guide holds once decompressed; past it the rest is left out.
  static constexpr uint64_t kMaxDocumentBytes = uint64_t{4} << 30;
  // Real guides compress ten to thirty times; a compressed file that grows far more than that is a
  // bomb, refused once its first megabytes showed it, long before its size would have.
  static constexpr uint64_t kMaxInflation = 100;
  static constexpr uint64_t kInflationGrace = uint64_t{16} << 20;

  explicit GuideInput(RawRead raw);
  ~GuideInput();
  GuideInput(const GuideInput&) = delete;
  GuideInput& operator=(const GuideInput&) = delete;

  // Up to `capacity` bytes of the document; 0 at its end, or once something went wrong.
  size_t read(char* out, size_t capacity);
  // Empty while the source reads well; else why it ended early, fit for the user.
  const std::string& problem() const { return problem_; }
  uint64_t source_bytes_read() const { return source_bytes_; }
  bool compressed() const { return compressed_; }

 private:
  bool fill();
  size_t read_compressed(char* out, size_t capacity);

  RawRead raw_;
  std::unique_ptr<char[]> buffer_;
  size_t buffered_ = 0, taken_ = 0;
  uint64_t source_bytes_ = 0, document_bytes_ = 0;
  bool started_ = false, compressed_ = false, source_ended_ = false, member_ended_ = false, stopped_ = false;
  z_stream zip_{};
  std::string problem_;
};
