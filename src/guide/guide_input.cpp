#include "guide/guide_input.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr size_t kBufferBytes = 256 * 1024;
}

GuideInput::GuideInput(RawRead raw) : raw_(std::move(raw)), buffer_(std::make_unique<char[]>(kBufferBytes)) {}

GuideInput::~GuideInput() {
  if (compressed_) inflateEnd(&zip_);
}

// Refills the buffer once it is used up; false at the source's end or error.
bool GuideInput::fill() {
  if (taken_ < buffered_) return true;
  if (source_ended_) return false;
  const long long got = raw_(buffer_.get(), kBufferBytes);
  taken_ = buffered_ = 0;
  if (got < 0) {
    problem_ = "The guide could not be read to its end.";
    source_ended_ = stopped_ = true;
    return false;
  }
  if (got == 0) {
    source_ended_ = true;
    return false;
  }
  buffered_ = static_cast<size_t>(got);
  source_bytes_ += buffered_;
  return true;
}

size_t GuideInput::read(char* out, size_t capacity) {
  if (stopped_ || capacity == 0) return 0;
  if (!started_) {
    started_ = true;
    // Two bytes tell gzip from XML; a first read shorter than that is read again.
    while (buffered_ < 2 && !source_ended_) {
      const long long got = raw_(buffer_.get() + buffered_, kBufferBytes - buffered_);
      if (got < 0) problem_ = "The guide could not be read to its end.";
      if (got <= 0) {
        source_ended_ = true;
        break;
      }
      buffered_ += static_cast<size_t>(got);
      source_bytes_ += static_cast<uint64_t>(got);
    }
    compressed_ = buffered_ >= 2 && static_cast<unsigned char>(buffer_[0]) == 0x1f &&
                  static_cast<unsigned char>(buffer_[1]) == 0x8b;
    if (compressed_ && inflateInit2(&zip_, 16 + MAX_WBITS) != Z_OK) {
      compressed_ = false;
      problem_ = "There is not enough memory to read the guide.";
      stopped_ = true;
      return 0;
    }
  }
  if (document_bytes_ >= kMaxDocumentBytes) {
    problem_ = "The guide is larger than 4 GB; the rest was left out.";
    stopped_ = true;
    return 0;
  }
  capacity = static_cast<size_t>(std::min<uint64_t>(capacity, kMaxDocumentBytes - document_bytes_));
  size_t produced = 0;
  if (compressed_) {
    produced = read_compressed(out, capacity);
  } else if (fill()) {
    produced = std::min(capacity, buffered_ - taken_);
    std::memcpy(out, buffer_.get() + taken_, produced);
    taken_ += produced;
  }
  document_bytes_ += produced;
  if (compressed_ && document_bytes_ > kInflationGrace && document_bytes_ > kMaxInflation * source_bytes_) {
    problem_ = "The compressed guide grows to more than " + std::to_string(kMaxInflation) +
               " times its size, which no guide does; the rest was left out.";
    stopped_ = true;
  }
  return produced;
}

size_t GuideInput::read_compressed(char* out, size_t capacity) {
  zip_.next_out = reinterpret_cast<Bytef*>(out);
  zip_.avail_out = static_cast<uInt>(capacity);
  while (zip_.avail_out > 0) {
    if (!fill()) {
      // The end of the source: whole only when the last member ended there.
      if (!member_ended_ && problem_.empty()) problem_ = "The compressed guide ends early; the rest is missing.";
      stopped_ = true;
      break;
    }
    if (member_ended_) {
      // Another gzip member follows, as `cat a.gz b.gz` makes; anything else after the end is ignored.
      if (static_cast<unsigned char>(buffer_[taken_]) != 0x1f) {
        stopped_ = true;
        break;
      }
      inflateReset(&zip_);
      member_ended_ = false;
    }
    zip_.next_in = reinterpret_cast<Bytef*>(buffer_.get() + taken_);
    zip_.avail_in = static_cast<uInt>(buffered_ - taken_);
    const int status = inflate(&zip_, Z_NO_FLUSH);
    taken_ = buffered_ - zip_.avail_in;
    if (status == Z_STREAM_END) {
      member_ended_ = true;
    } else if (status != Z_OK && status != Z_BUF_ERROR) {
      problem_ = "The compressed guide is damaged; the rest could not be read.";
      stopped_ = true;
      break;
    }
  }
  return capacity - zip_.avail_out;
}
