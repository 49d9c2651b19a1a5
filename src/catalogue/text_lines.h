#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Lines of a catalogue text member. A line ends at CR, LF or a CR LF pair; the text ends at its
// first NUL; a last line without a line end counts; a line end at the very end starts no further
// line; an empty line is a line. Each line is split at "|" as split_text does with no limit.

// The first fields of one line: views into the stream's buffer, valid until the next line.
struct LineFields {
  static constexpr size_t kMost = 16;  // a channel line's fields; tables need two
  std::array<std::string_view, kMost> field;
  size_t count = 0;      // fields the line holds, counted up to the number asked for
  std::string_view text;  // the whole line without its line end

  std::string_view operator[](size_t i) const { return field[i]; }
};

// Reads a text that arrives in pieces, a line at a time, through one buffer of a fixed size: a line
// never costs more than that buffer, however long the text is. Nothing after the first NUL is read.
class LineStream {
 public:
  // Fills [into, into + capacity) with the next bytes of the text and answers how many; 0 at its end.
  using Source = std::function<size_t(char* into, size_t capacity)>;

  static constexpr size_t kPiece = size_t{1} << 18;

  // max_line bounds the length of a line; piece is the most that is read at a time. The reads start
  // small and grow to a piece, so a short text needs only a small buffer.
  LineStream(Source source, size_t max_line, size_t piece = kPiece);

  enum class Result { line, end, too_long };
  // Takes the next line and its first `wanted` fields (at most LineFields::kMost). too_long when the
  // line is longer than max_line; then the stream is of no further use.
  Result next(LineFields& line, size_t wanted);

  // Lines taken so far, and the bytes they took with their line ends.
  size_t lines() const { return lines_; }
  uint64_t consumed() const { return consumed_; }

 private:
  bool refill();

  Source source_;
  size_t max_line_;
  size_t piece_;
  size_t step_;      // the next read, doubled up to piece_
  size_t capacity_;  // the most the buffer may grow to
  size_t size_ = 0;  // what it holds now
  std::unique_ptr<char[]> buffer_;
  size_t begin_ = 0;  // the unread bytes are [begin_, end_)
  size_t end_ = 0;
  bool source_done_ = false;
  bool ended_ = false;
  bool skip_lf_ = false;  // the last line ended at a CR: an LF right after it belongs to that line end
  size_t lines_ = 0;
  uint64_t consumed_ = 0;
};

// A text in memory as a LineStream source, handed out a piece at a time.
LineStream::Source text_source(std::string_view text);

// The lines of a whole text, split by the rule above; for tests and small texts.
std::vector<std::string> split_lines(std::string_view text);
