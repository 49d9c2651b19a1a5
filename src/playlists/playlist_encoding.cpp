#include "playlists/playlist_encoding.h"

#include "catalogue/code_page.h"
#include "playlists/playlist_lines.h"

#include <QByteArrayView>

#include <algorithm>

namespace {
constexpr char32_t kReplacement = 0xFFFD;

size_t utf8_length(char32_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

char* put_utf8(char32_t c, char* out) {
  if (c < 0x80) {
    *out++ = static_cast<char>(c);
  } else if (c < 0x800) {
    *out++ = static_cast<char>(0xC0 | (c >> 6));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (c >> 12));
    *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (c >> 18));
    *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

bool is_utf8(std::string_view text) {
  return QByteArrayView(text.data(), static_cast<qsizetype>(text.size())).isValidUtf8();
}
}  // namespace

PlaylistEncoding playlist_encoding(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE")) return {TextEncoding::utf16le, 2};
  if (bytes.starts_with("\xFE\xFF")) return {TextEncoding::utf16be, 2};
  const size_t mark = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  bytes.remove_prefix(mark);
  if (is_utf8(bytes)) return {TextEncoding::utf8, mark};
  return {TextEncoding::utf8_else_cp1252_by_line, mark};
}

template <typename Emit>
void Utf8Conversion::unit(char16_t u, Emit&& emit) {
  if (high_surrogate_ != 0) {
    const char16_t high = high_surrogate_;
    high_surrogate_ = 0;
    if (u >= 0xDC00 && u <= 0xDFFF) {
      emit(0x10000 + ((char32_t{high} - 0xD800) << 10) + (u - 0xDC00));
      return;
    }
    emit(kReplacement);
  }
  if (u >= 0xD800 && u <= 0xDBFF)
    high_surrogate_ = u;
  else
    emit(u >= 0xDC00 && u <= 0xDFFF ? kReplacement : char32_t{u});
}

template <typename Emit>
void Utf8Conversion::units(std::string_view piece, Emit&& emit) {
  const bool little = encoding_ == TextEncoding::utf16le;
  const auto make = [little](unsigned char first, unsigned char second) {
    return static_cast<char16_t>(little ? first | (second << 8) : (first << 8) | second);
  };
  size_t i = 0;
  if (odd_byte_ >= 0 && !piece.empty()) {
    unit(make(static_cast<unsigned char>(odd_byte_), static_cast<unsigned char>(piece[0])), emit);
    odd_byte_ = -1;
    i = 1;
  }
  for (; i + 1 < piece.size(); i += 2)
    unit(make(static_cast<unsigned char>(piece[i]), static_cast<unsigned char>(piece[i + 1])), emit);
  if (i < piece.size()) odd_byte_ = static_cast<unsigned char>(piece[i]);
}

template <typename Put>
void Utf8Conversion::lines(std::string_view piece, Put&& put) {
  const char* p = piece.data();
  const char* const end = p + piece.size();
  while (p != end) {
    const char* const stop = playlist_lines::line_end(p, end);
    const auto length = static_cast<size_t>(stop - p);
    if (line_.size() + length >= kLineDecided) {
      // Where the pieces end plays no part: a long line is cut by its own length alone.
      const size_t taken = kLineDecided - line_.size();
      if (line_.empty()) {
        put(std::string_view(p, taken));
      } else {
        line_.append(p, taken);
        put(std::string_view(line_));
        line_.clear();
      }
      p += taken;
      continue;
    }
    if (stop == end) {
      line_.append(p, length);
      return;
    }
    if (line_.empty()) {
      put(std::string_view(p, length));
    } else {
      line_.append(p, length);
      put(std::string_view(line_));
      line_.clear();
    }
    put(std::string_view(stop, 1));
    p = stop + 1;
  }
}

char* Utf8Conversion::convert(std::string_view piece, char* out) {
  if (encoding_ == TextEncoding::utf8_else_cp1252_by_line) {
    lines(piece, [&out](std::string_view line) {
      if (is_utf8(line)) {
        line.copy(out, line.size());
        out += line.size();
      } else {
        out = cp1252_to_utf8(line, out);
      }
    });
    return out;
  }
  if (encoding_ == TextEncoding::utf8) {
    piece.copy(out, piece.size());
    return out + piece.size();
  }
  units(piece, [&out](char32_t c) { out = put_utf8(c, out); });
  return out;
}

char* Utf8Conversion::finish(char* out) {
  if (!line_.empty()) {
    out = is_utf8(line_) ? std::copy(line_.begin(), line_.end(), out) : cp1252_to_utf8(line_, out);
    line_.clear();
  }
  if (high_surrogate_ != 0 || odd_byte_ >= 0) out = put_utf8(kReplacement, out);
  // A high half and an odd byte after it are one unfinished character each.
  if (high_surrogate_ != 0 && odd_byte_ >= 0) out = put_utf8(kReplacement, out);
  high_surrogate_ = 0;
  odd_byte_ = -1;
  return out;
}

size_t Utf8Conversion::size_of(TextEncoding encoding, std::string_view text) {
  if (encoding == TextEncoding::utf8) return text.size();
  Utf8Conversion counting(encoding);
  if (encoding == TextEncoding::utf8_else_cp1252_by_line) {
    size_t size = 0;
    const auto count = [&size](std::string_view line) { size += is_utf8(line) ? line.size() : cp1252_utf8_size(line); };
    counting.lines(text, count);
    count(counting.line_);
    return size;
  }
  size_t size = 0;
  counting.units(text, [&size](char32_t c) { size += utf8_length(c); });
  size += (counting.high_surrogate_ != 0 ? 3 : 0) + (counting.odd_byte_ >= 0 ? 3 : 0);
  return size;
}

std::string playlist_utf8(std::string bytes, const PlaylistEncoding& found) {
  if (found.encoding == TextEncoding::utf8) {
    bytes.erase(0, found.mark);
    return bytes;
  }
  const std::string_view text = std::string_view(bytes).substr(found.mark);
  std::string utf8(Utf8Conversion::size_of(found.encoding, text), '\0');
  Utf8Conversion conversion(found.encoding);
  conversion.finish(conversion.convert(text, utf8.data()));
  return utf8;
}
