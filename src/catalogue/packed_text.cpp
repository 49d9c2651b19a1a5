#include "catalogue/packed_text.h"

#include <cstring>
#include <limits>
#include <stdexcept>

namespace {
char* pack(std::string_view text) {
  if (text.empty()) return nullptr;
  if (text.size() > std::numeric_limits<uint32_t>::max()) throw std::length_error("text too long");
  const auto length = static_cast<uint32_t>(text.size());
  char* block = new char[sizeof length + text.size()];
  std::memcpy(block, &length, sizeof length);
  std::memcpy(block + sizeof length, text.data(), text.size());
  return block;
}
}  // namespace

PackedText::PackedText(std::string_view text) : data_(pack(text)) {}

PackedText& PackedText::operator=(const PackedText& other) {
  if (this != &other) {
    char* copy = pack(other.view());
    delete[] data_;
    data_ = copy;
  }
  return *this;
}

PackedText& PackedText::operator=(PackedText&& other) noexcept {
  if (this != &other) {
    delete[] data_;
    data_ = other.data_;
    other.data_ = nullptr;
  }
  return *this;
}

PackedText::~PackedText() { delete[] data_; }

std::string_view PackedText::view() const noexcept {
  if (!data_) return {};
  uint32_t length;
  std::memcpy(&length, data_, sizeof length);
  return {data_ + sizeof length, length};
}
