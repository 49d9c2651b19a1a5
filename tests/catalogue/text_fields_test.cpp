#include "catalogue/base64_text.h"
#include "catalogue/report_status.h"
#include "catalogue/strict_number.h"
#include "catalogue/text_lines.h"
#include "catalogue/text_split.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

using namespace std::string_literals;
using Fields = std::vector<std::string>;

namespace {
Fields strings(const TextFields& views) { return Fields(views.begin(), views.end()); }

size_t streamed_count(LineStream& stream) {
  LineFields line;
  size_t lines = 0;
  while (stream.next(line, 16) == LineStream::Result::line) ++lines;
  return lines;
}
}  // namespace

TEST(SplitText, SplitsAsTheFileRulesSay) {
  struct Case {
    std::string separator, text;
    int limit;
    Fields expected;
  };
  const Case cases[] = {
      {"|", "a|b|", 0, {"a", "b"}},
      {"|", "a|b||", 0, {"a", "b", ""}},
      {"|", "|a", 0, {"", "a"}},
      {"|", "a||b", 0, {"a", "", "b"}},
      {"|", "", 0, {}},
      {"|", "|", 0, {""}},
      {"|", "abc", 0, {"abc"}},
      {"|", "a|b|c", -1, {}},
      {"|", "a|b|c|d", 2, {"a", "b|c|d"}},
      {"|", "a|b|c|d", 1, {"a|b|c|d"}},
      {"|", "a|b", 5, {"a", "b"}},
      {"", "a|b", 0, {"a|b"}},
      {"::", "a::b::", 0, {"a", "b"}},
      {"::", "a::b:", 0, {"a", "b:"}},
      {"|", "a|b\0|c"s, 0, {"a", "b"}},  // the text ends at its first NUL
      {"|", "\0a|b"s, 0, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(strings(split_text(c.separator, c.text, c.limit)), c.expected) << c.text << " limit " << c.limit;
}

TEST(PadWithNul, ExtendsToTheNextMultiple) {
  EXPECT_EQ(pad_with_nul("", 16), std::string(16, '\0'));
  EXPECT_EQ(pad_with_nul("rolvetqa.dat", 32), "rolvetqa.dat"s + std::string(20, '\0'));
  EXPECT_EQ(pad_with_nul("qzrmtwnbkdvlxpfh", 16), "qzrmtwnbkdvlxpfh");
  EXPECT_EQ(pad_with_nul(std::string(17, 'x'), 16), std::string(17, 'x') + std::string(15, '\0'));
  EXPECT_EQ(pad_with_nul("abc", 0), "abc");  // no multiple of 0: left alone rather than dividing by it
}

namespace {
// Pieces small enough to put line ends, CR LF pairs and separators on every boundary.
constexpr size_t kPieces[] = {1, 2, 3, 5, 16, 17, LineStream::kPiece};

// The lines as a LineStream reads them, `piece` bytes at a time: each line's text, or its first
// `wanted` fields.
Fields streamed_lines(std::string_view text, size_t piece) {
  LineStream stream(text_source(text), text.size(), piece);
  Fields lines;
  LineFields line;
  while (stream.next(line, 0) == LineStream::Result::line) lines.emplace_back(line.text);
  return lines;
}

std::vector<Fields> streamed_fields(std::string_view text, size_t piece, size_t wanted) {
  LineStream stream(text_source(text), text.size(), piece);
  std::vector<Fields> lines;
  LineFields line;
  while (stream.next(line, wanted) == LineStream::Result::line)
    lines.emplace_back(line.field.begin(), line.field.begin() + static_cast<std::ptrdiff_t>(line.count));
  return lines;
}

// A source that never ends: `prefix`, then `filler` for ever. Counts what it hands out.
struct EndlessSource {
  std::string prefix;
  char filler;
  size_t handed_out = 0;

  LineStream::Source source() {
    return [this](char* into, size_t capacity) {
      for (size_t i = 0; i < capacity; ++i, ++handed_out)
        into[i] = handed_out < prefix.size() ? prefix[handed_out] : filler;
      return capacity;
    };
  }
};
}  // namespace

TEST(Lines, EndAtCrLfOrCrLfAndAtTheFirstNulWhereverThePiecesEnd) {
  struct Case {
    std::string text;
    Fields expected;
  };
  const Case cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\n\nb", {"a", "", "b"}},
      {"\n", {""}},
      {"\r\n\r\n", {"", ""}},
      {"a\r\r\nb", {"a", "", "b"}},  // CR, then a CR LF pair
      {"a\n\rb", {"a", "", "b"}},    // LF then CR are two line ends
      {"a\r\nb\0c\nd"s, {"a", "b"}},
      {"a\r\0\nb"s, {"a"}},
      {"\0a"s, {}},
      {"a very long first line|with|fields\r\nshort\r", {"a very long first line|with|fields", "short"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(split_lines(c.text), c.expected) << testing::PrintToString(c.text);
    for (size_t piece : kPieces)
      EXPECT_EQ(streamed_lines(c.text, piece), c.expected) << testing::PrintToString(c.text) << " piece " << piece;
  }
}

TEST(Lines, SinglePassSplittingAgreesWithLinesThenSplitText) {
  // Texts from a small alphabet, long enough to cross the 16-byte blocks of the fast paths and to
  // hold more fields than are asked for.
  uint32_t state = 12345;
  const char alphabet[] = {'a', 'b', '|', '|', '|', '\r', '\n'};
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    state = state * 1103515245u + 12345u;
    const size_t length = (state >> 16) % 120;
    for (size_t i = 0; i < length; ++i) {
      state = state * 1103515245u + 12345u;
      text += alphabet[(state >> 16) % sizeof alphabet];
    }
    for (size_t wanted : {size_t{2}, LineFields::kMost}) {
      std::vector<Fields> expected;
      for (const std::string& line : split_lines(text)) {
        Fields fields = strings(split_text("|", line));
        if (fields.size() > wanted) fields.resize(wanted);
        expected.push_back(fields);
      }
      for (size_t piece : {size_t{1}, size_t{7}, size_t{16}, LineStream::kPiece})
        ASSERT_EQ(streamed_fields(text, piece, wanted), expected) << testing::PrintToString(text) << " piece " << piece;
    }
  }
}

TEST(Lines, ALineLongerThanTheBoundIsRefusedHavingReadLittleMore) {
  for (size_t piece : {size_t{1}, size_t{16}, size_t{100}}) {
    LineFields line;
    const std::string fits = std::string(64, '|') + "\r\n" + std::string(65, 'x') + "\n";
    LineStream stream(text_source(fits), 64, piece);
    ASSERT_EQ(stream.next(line, 16), LineStream::Result::line);
    EXPECT_EQ(line.text.size(), 64u);
    EXPECT_EQ(line.count, 16u);
    EXPECT_EQ(stream.next(line, 16), LineStream::Result::too_long) << piece;

    // One endless line: refused once it is longer than the bound, not at the end of the text.
    EndlessSource bars{"1|2", '|'};
    LineStream endless(bars.source(), 64, piece);
    EXPECT_EQ(endless.next(line, 16), LineStream::Result::too_long);
    EXPECT_LE(bars.handed_out, 64 + 2 * piece) << piece;
  }
}

TEST(Lines, NothingAfterTheFirstNulIsRead) {
  for (size_t piece : {size_t{1}, size_t{16}, LineStream::kPiece}) {
    EndlessSource nuls{"a|b\r\nc", '\0'};
    LineStream stream(nuls.source(), 64, piece);
    EXPECT_EQ(streamed_count(stream), 2u);
    EXPECT_LE(nuls.handed_out, 8 + piece) << piece;
  }
}

TEST(Base64, DecodesAndSkipsCharactersOutsideTheAlphabet) {
  struct Case {
    std::string encoded, decoded;
  };
  const Case cases[] = {
      {"", ""},
      {"RXVybyBOZXdz", "Euro News"},
      {"UmFkaW8gRk0=", "Radio FM"},
      {"cm9jayB8IHJvbGw=", "rock | roll"},
      {"VOls6SBKYXp6", "T\xe9l\xe9 Jazz"},
      {"UmFk\r\naW8g RkA=", "Radio F@"},  // line breaks and blanks are skipped
      {"UmFkaW8gRk0", "Radio FM"},         // padding may be missing
      {"U=m=F=k", "Rad"},                  // '=' is skipped like any other stranger
      {"QQ", "A"},
      {"QUI", "AB"},
      {"Q", ""},  // a single leftover character holds no whole byte
      {"!!!", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(decode_base64(c.encoded), c.decoded) << c.encoded;
}

TEST(Base64, EncodingRoundTripsEveryByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  for (size_t length : {0, 1, 2, 3, 4, 255, 256}) {
    const std::string bytes = all.substr(0, length);
    EXPECT_EQ(decode_base64(encode_base64(bytes)), bytes) << length;
  }
  EXPECT_EQ(encode_base64("Radio FM"), "UmFkaW8gRk0=");
}

TEST(Numbers, IntegersAreSigned32BitDecimal) {
  struct Case {
    std::string text;
    std::optional<int32_t> value;
  };
  const Case cases[] = {
      {"0", 0},
      {"42", 42},
      {"-7", -7},
      {"+7", 7},
      {"007", 7},
      {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt},
      {"99999999999999999999", std::nullopt},
      {"", std::nullopt},
      {"-", std::nullopt},
      {"+", std::nullopt},
      {"+-1", std::nullopt},
      {" 1", std::nullopt},
      {"1 ", std::nullopt},
      {"1.0", std::nullopt},
      {"0x10", std::nullopt},
      {"$10", std::nullopt},
      {"1e3", std::nullopt},
      {"12a", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(parse_int32(c.text), c.value) << c.text;
}

TEST(Numbers, RealsTakeTheDotOnly) {
  struct Case {
    std::string text;
    std::optional<double> value;
  };
  const Case cases[] = {
      {"9", 9.0},        {"4.5", 4.5},        {"-0.25", -0.25},    {"+1.5", 1.5},
      {".5", 0.5},       {"5.", 5.0},         {"1e3", 1000.0},     {"2.5E-1", 0.25},
      {"4,5", std::nullopt}, {"", std::nullopt}, {".", std::nullopt}, {"inf", std::nullopt},
      {"nan", std::nullopt}, {"1e", std::nullopt}, {"1e999", std::nullopt}, {" 1", std::nullopt},
      {"1.5 ", std::nullopt}, {"0x1p3", std::nullopt}, {"1..2", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(parse_real(c.text), c.value) << c.text;
}

TEST(ReportStatus, LargestCountWinsTiesGoToTheEarlierCount) {
  struct Case {
    int32_t w, n, r, d, s, status;
  };
  const Case cases[] = {
      {0, 0, 0, 0, 0, 2}, {3, 3, 0, 0, 0, 0}, {1, 2, 2, 0, 0, 1}, {0, 0, 1, 1, 1, 3},
      {0, 0, 0, 2, 2, 4}, {0, 0, 0, 0, 1, 5}, {5, 0, 0, 0, 0, 0}, {0, 0, 0, 3, 0, 4},
      {1, 1, 1, 1, 1, 0}, {0, 2, 2, 2, 2, 1}, {0, 0, 3, 3, 3, 3}, {2, 1, 1, 1, 3, 5},
      {4, 1, 1, 1, 4, 0}, {0, 0, 0, 0, -1, 0},  // negative counts are odd but must not look new
  };
  for (const Case& c : cases)
    EXPECT_EQ(report_status(c.w, c.n, c.r, c.d, c.s), c.status)
        << c.w << "," << c.n << "," << c.r << "," << c.d << "," << c.s;
}
