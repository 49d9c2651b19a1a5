#include "feedback_query.h"

#include "catalogue/code_page.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace {
// Longer values are no channel data a user typed; refusing them keeps the database small.
constexpr size_t kMaxValueBytes = 4096;

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool is_valid_utf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    size_t extra = 0;
    char32_t min = 0;
    if (b < 0x80) {
      ++i;
      continue;
    } else if ((b & 0xE0) == 0xC0) {
      extra = 1;
      min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      extra = 2;
      min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      extra = 3;
      min = 0x10000;
    } else {
      return false;
    }
    if (i + extra >= s.size()) return false;
    char32_t c = b & (0x3F >> extra);
    for (size_t k = 1; k <= extra; ++k) {
      const auto cont = static_cast<unsigned char>(s[i + k]);
      if ((cont & 0xC0) != 0x80) return false;
      c = (c << 6) | (cont & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

bool has_control_characters(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 || b == 0x7F;
  });
}

// Looks up the expected parameters of one request; each must be present exactly once.
class Parameters {
 public:
  explicit Parameters(QueryParameters all) : all_(std::move(all)) {}

  // The value of `name`, or nothing (with error_ set) when it is missing or repeated.
  std::optional<std::string> take(std::string_view name) {
    std::optional<std::string> found;
    for (const auto& [key, value] : all_) {
      if (key != name) continue;
      if (found) return fail("parameter '" + std::string(name) + "' given more than once");
      found = value;
    }
    if (!found) return fail("missing parameter '" + std::string(name) + "'");
    if (found->size() > kMaxValueBytes) return fail("parameter '" + std::string(name) + "' is too long");
    return found;
  }

  std::optional<int32_t> take_int(std::string_view name) {
    const auto text = take(name);
    if (!text) return std::nullopt;
    const auto value = parse_decimal_int32(*text);
    if (!value) {
      error_ = "parameter '" + std::string(name) + "' is not a whole number";
      return std::nullopt;
    }
    return value;
  }

  // A text value as UTF-8; control characters are refused since they would break the line
  // format of the catalogue files.
  std::optional<std::string> take_text(std::string_view name) {
    const auto text = take(name);
    if (!text) return std::nullopt;
    if (has_control_characters(*text)) {
      error_ = "parameter '" + std::string(name) + "' holds control characters";
      return std::nullopt;
    }
    return text_as_utf8(*text);
  }

  const std::string& error() const { return error_; }

 private:
  std::nullopt_t fail(std::string message) {
    error_ = std::move(message);
    return std::nullopt;
  }

  QueryParameters all_;
  std::string error_;
};

ParsedFeedback refused(std::string error) { return ParsedFeedback{std::nullopt, std::move(error)}; }

ParsedFeedback parse_rating(Parameters& p) {
  const auto rating = p.take_int("rating");
  if (!rating) return refused(p.error());
  const auto id = p.take_int("id");
  if (!id) return refused(p.error());
  if (*rating < 1 || *rating > 5) return refused("rating must be 1 to 5");
  return ParsedFeedback{RatingFeedback{*id, *rating}, {}};
}

ParsedFeedback parse_flag(Parameters& p) {
  const auto word = p.take("flag");
  if (!word) return refused(p.error());
  const auto id = p.take_int("id");
  if (!id) return refused(p.error());
  const auto flag = flag_word_from_text(*word);
  if (!flag) return refused("unknown flag '" + text_as_utf8(*word) + "'");
  return ParsedFeedback{FlagFeedback{*id, *flag}, {}};
}

ParsedFeedback parse_bad(Parameters& p) {
  const auto id = p.take_int("channel_id");
  if (!id) return refused(p.error());
  return ParsedFeedback{BadChannelFeedback{*id}, {}};
}

ParsedFeedback parse_submission(Parameters& p) {
  ChannelSubmission s;
  const auto group = p.take_int("group");
  if (!group) return refused(p.error());
  auto name = p.take_text("name");
  if (!name) return refused(p.error());
  auto url = p.take_text("url");
  if (!url) return refused(p.error());
  const auto bitrate = p.take_int("bitrate");
  if (!bitrate) return refused(p.error());
  const auto type = p.take_int("type");
  if (!type) return refused(p.error());
  auto homepage = p.take_text("homepage");
  if (!homepage) return refused(p.error());
  const auto country = p.take_int("country");
  if (!country) return refused(p.error());
  const auto genre = p.take_int("genre");
  if (!genre) return refused(p.error());
  auto comment = p.take_text("comment");
  if (!comment) return refused(p.error());
  if (*group < 1 || *group > 3) return refused("group must be 1, 2 or 3");
  if (name->empty()) return refused("the channel has no name");
  if (url->empty()) return refused("the channel has no address");
  s.group_id = *group;
  s.name = std::move(*name);
  s.url = std::move(*url);
  s.bitrate = *bitrate;
  s.type_id = *type;
  s.homepage = std::move(*homepage);
  s.country_id = *country;
  s.genre_id = *genre;
  s.comment = std::move(*comment);
  return ParsedFeedback{std::move(s), {}};
}

constexpr std::array<std::string_view, 5> kFlagWords = {"ok", "bad", "wrong", "duplicate", "spam"};
}  // namespace

std::optional<std::string> percent_decode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int hi = hex_value(text[i + 1]);
    const int lo = hex_value(text[i + 2]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return out;
}

std::optional<QueryParameters> split_query(std::string_view raw_query) {
  QueryParameters out;
  size_t pos = 0;
  while (pos <= raw_query.size()) {
    size_t end = raw_query.find('&', pos);
    if (end == std::string_view::npos) end = raw_query.size();
    const std::string_view piece = raw_query.substr(pos, end - pos);
    if (!piece.empty()) {
      const size_t eq = piece.find('=');
      const auto name = percent_decode(piece.substr(0, eq));
      const auto value = eq == std::string_view::npos ? std::optional<std::string>("")
                                                      : percent_decode(piece.substr(eq + 1));
      if (!name || !value) return std::nullopt;
      out.emplace_back(std::move(*name), std::move(*value));
    }
    pos = end + 1;
  }
  return out;
}

std::optional<int32_t> parse_decimal_int32(std::string_view text) {
  if (text.empty() || text.front() == '+') return std::nullopt;
  int32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string text_as_utf8(std::string_view bytes) {
  if (is_valid_utf8(bytes)) return std::string(bytes);
  return cp1252_to_utf8(bytes);
}

std::string_view flag_word_text(FlagWord flag) { return kFlagWords[static_cast<size_t>(flag)]; }

std::optional<FlagWord> flag_word_from_text(std::string_view text) {
  for (size_t i = 0; i < kFlagWords.size(); ++i)
    if (kFlagWords[i] == text) return static_cast<FlagWord>(i);
  return std::nullopt;
}

bool is_feedback_path(std::string_view path) {
  return path == "/service/rate.php" || path == "/service/flag.php" || path == "/service/bad.php" ||
         path == "/service/new2.php";
}

ParsedFeedback parse_feedback(std::string_view path, std::string_view raw_query) {
  auto split = split_query(raw_query);
  if (!split) return refused("broken percent escape in the query");
  Parameters p(std::move(*split));
  if (path == "/service/rate.php") return parse_rating(p);
  if (path == "/service/flag.php") return parse_flag(p);
  if (path == "/service/bad.php") return parse_bad(p);
  if (path == "/service/new2.php") return parse_submission(p);
  return refused("unknown request");
}
