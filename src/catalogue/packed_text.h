#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Immutable text held behind a single pointer (empty text holds nothing at all); copies share it.
// A catalogue of a million channels keeps several texts per channel, so the eight bytes per field
// and the shared copies matter. A text lives in a block of its own on the heap, or among many in a
// chunk of a TextArena (text_arena.h); either way it stays valid as long as any copy of it lives.
class PackedText {
 public:
  PackedText() noexcept = default;
  PackedText(std::string_view text);  // NOLINT: converts like std::string
  PackedText(const std::string& text) : PackedText(std::string_view(text)) {}
  PackedText(const char* text) : PackedText(std::string_view(text)) {}
  // A text that carries one bit of its own beside its bytes (ShortText marks UTF-8 with it). The
  // bit costs nothing in space: it rides in the length word, so a text is below 2 GiB.
  static PackedText marked(std::string_view text);
  PackedText(const PackedText& other);
  PackedText(PackedText&& other) noexcept : data_(other.data_) { other.data_ = nullptr; }
  PackedText& operator=(const PackedText& other);
  PackedText& operator=(PackedText&& other) noexcept;
  ~PackedText();

  std::string_view view() const noexcept;
  operator std::string_view() const noexcept { return view(); }
  std::string str() const { return std::string(view()); }
  size_t size() const noexcept { return view().size(); }
  bool empty() const noexcept { return data_ == nullptr; }
  bool is_marked() const noexcept;

  friend bool operator==(const PackedText& a, const PackedText& b) noexcept { return a.view() == b.view(); }
  friend bool operator==(const PackedText& a, std::string_view b) noexcept { return a.view() == b; }
  friend bool operator==(const PackedText& a, const char* b) noexcept { return a.view() == std::string_view(b); }

 private:
  friend class TextArena;
  struct Adopt {};
  PackedText(char* block, Adopt) noexcept : data_(block) {}

  char* data_ = nullptr;  // a block: [share word][length][bytes], see packed_text.cpp
};
