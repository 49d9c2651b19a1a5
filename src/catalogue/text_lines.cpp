#include "catalogue/text_lines.h"

#include "catalogue/byte_scan.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr size_t kFirstStep = size_t{1} << 12;

bool ends_text_or_line(char c) { return c == '\r' || c == '\n' || c == '\0'; }

// Scans [start, end) for the end of the line, the first CR, LF or NUL, in a single pass that also
// splits off the line's first `wanted` fields. Answers where the line ends, or end when it goes on
// past the range.
const char* scan_line(const char* const start, const char* const end, size_t wanted, LineFields& line) {
  size_t count = 0;
  const char* field_start = start;
  const auto field_until = [&](const char* at) {
    line.field[count++] = std::string_view(field_start, static_cast<size_t>(at - field_start));
    field_start = at + 1;
  };
  const char* p = start;
  const char* found = nullptr;
  for (; end - p >= 16; p += 16) {
    const uint32_t breaks =
        byte_scan::mask16(p, '\r') | byte_scan::mask16(p, '\n') | byte_scan::mask16(p, '\0');
    if (count < wanted) {
      uint32_t separators = byte_scan::mask16(p, '|');
      if (breaks) separators &= (1u << __builtin_ctz(breaks)) - 1;
      for (; separators && count < wanted; separators &= separators - 1) field_until(p + __builtin_ctz(separators));
    }
    if (breaks) {
      found = p + __builtin_ctz(breaks);
      break;
    }
  }
  for (; !found && p != end; ++p) {
    if (ends_text_or_line(*p)) found = p;
    else if (*p == '|' && count < wanted) field_until(p);
  }
  if (!found) found = end;
  // A separator right at the end of the line leaves no empty field after it.
  if (count < wanted && field_start != found) field_until(found);
  line.count = count;
  line.text = std::string_view(start, static_cast<size_t>(found - start));
  return found;
}
}  // namespace

LineStream::LineStream(Source source, size_t max_line, size_t piece)
    : source_(std::move(source)),
      max_line_(max_line),
      piece_(std::max<size_t>(piece, 1)),
      step_(std::min(piece_, kFirstStep)),
      // Room for the longest line there may be plus a whole piece after it, so that a refill always
      // has room to read one.
      capacity_(max_line_ + piece_) {}

bool LineStream::refill() {
  if (source_done_) return false;
  char* data = buffer_.get();
  if (begin_ > 0) {
    std::memmove(data, data + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  const size_t until = std::min(capacity_, end_ + step_);
  step_ = std::min(step_ * 2, piece_);
  if (until > size_) {
    const size_t grown = std::max(until, std::min(capacity_, size_ * 2));
    std::unique_ptr<char[]> larger(new char[grown]);
    if (end_ > 0) std::memcpy(larger.get(), data, end_);
    buffer_ = std::move(larger);
    size_ = grown;
    data = buffer_.get();
  }
  const size_t before = end_;
  while (end_ < until) {
    const size_t got = source_(data + end_, until - end_);
    if (got == 0) {
      source_done_ = true;
      break;
    }
    end_ += got;
  }
  return end_ > before;
}

LineStream::Result LineStream::next(LineFields& line, size_t wanted) {
  wanted = std::min(wanted, LineFields::kMost);
  while (!ended_) {
    if (begin_ == end_ && !refill()) break;
    char* const data = buffer_.get();
    if (skip_lf_) {
      skip_lf_ = false;
      if (data[begin_] == '\n') {
        ++begin_;
        ++consumed_;
        continue;
      }
    }
    const char* const start = data + begin_;
    const char* const stop = data + end_;
    const char* const found = scan_line(start, stop, wanted, line);
    if (line.text.size() > max_line_) {
      ended_ = true;
      return Result::too_long;
    }
    if (found == stop && !source_done_) {
      // The line goes on past what is buffered: read more and look at it again.
      refill();
      continue;
    }
    if (found == stop) {  // the last line, without a line end
      begin_ = end_;
      ended_ = true;
    } else if (*found == '\0') {  // the text ends here
      ended_ = true;
      if (line.text.empty()) break;
      begin_ = static_cast<size_t>(found - data);
    } else {
      skip_lf_ = *found == '\r';
      begin_ = static_cast<size_t>(found - data) + 1;
      ++consumed_;
    }
    consumed_ += line.text.size();
    ++lines_;
    return Result::line;
  }
  ended_ = true;
  return Result::end;
}

LineStream::Source text_source(std::string_view text) {
  return [text, position = size_t{0}](char* into, size_t capacity) mutable {
    const size_t count = std::min(capacity, text.size() - position);
    std::memcpy(into, text.data() + position, count);
    position += count;
    return count;
  };
}

std::vector<std::string> split_lines(std::string_view text) {
  std::vector<std::string> lines;
  LineStream stream(text_source(text), text.size());
  LineFields line;
  while (stream.next(line, 0) == LineStream::Result::line) lines.emplace_back(line.text);
  return lines;
}
