#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

// The four feedback requests as the service receives them, decoded from their query strings.
// Decoding is strict: anything a well-behaved client never sends is refused with a reason, so the
// database only ever holds values the catalogue build can use.

struct RatingFeedback {
  int32_t channel_id = 0;
  int32_t rating = 0;  // 1..5
};

enum class FlagWord { ok, bad, wrong, duplicate, spam };

struct FlagFeedback {
  int32_t channel_id = 0;
  FlagWord flag = FlagWord::ok;
};

struct BadChannelFeedback {
  int32_t channel_id = 0;
};

// Texts are UTF-8 whatever the client sent (UTF-8 is kept, anything else is read as Windows-1252).
struct ChannelSubmission {
  int32_t group_id = 0;  // 1 TV, 2 radio, 3 video
  std::string name;
  std::string url;
  int32_t bitrate = 0;
  int32_t type_id = 0;
  std::string homepage;
  int32_t country_id = 0;
  int32_t genre_id = 0;
  std::string comment;
};

using Feedback = std::variant<RatingFeedback, FlagFeedback, BadChannelFeedback, ChannelSubmission>;

// Either the decoded request or the reason it was refused.
struct ParsedFeedback {
  std::optional<Feedback> feedback;
  std::string error;
};

using QueryParameters = std::vector<std::pair<std::string, std::string>>;

// Splits a raw query string ("a=1&b=%20x") into decoded name/value pairs in their order. Empty
// pieces ("&&", a leading "&") are skipped; a piece without "=" has an empty value; "+" stays "+".
// Returns nothing when a percent escape is broken.
std::optional<QueryParameters> split_query(std::string_view raw_query);

// Decodes %XX escapes; nothing on a broken escape.
std::optional<std::string> percent_decode(std::string_view text);

// The request path ("/service/rate.php", ...) names the kind; the raw query carries the values.
// Parameters other than the expected ones are ignored; an expected one given twice is refused.
ParsedFeedback parse_feedback(std::string_view path, std::string_view raw_query);

// True for the four feedback paths.
bool is_feedback_path(std::string_view path);

std::string_view flag_word_text(FlagWord flag);
std::optional<FlagWord> flag_word_from_text(std::string_view text);

// A signed 32-bit decimal as the program writes it: optional '-', digits, nothing else.
std::optional<int32_t> parse_decimal_int32(std::string_view text);

// UTF-8 text of a decoded value: valid UTF-8 is kept, other bytes are read as Windows-1252.
std::string text_as_utf8(std::string_view bytes);
