#pragma once
#include "guide/guide_address_bounds.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A playlist as the reader makes it of an M3U or PLS file: its entries, the programme guide
// addresses it names, and the lines it could not use.

// Where one text of an entry lies in Playlist::texts. A list of a hundred thousand entries holds
// eight texts each; a pair of 32-bit numbers per text keeps the entries within twice the size of
// the file they came from, where a string or a view per text would not.
struct TextSpan {
  uint32_t offset = 0;
  uint32_t size = 0;
};

struct PlaylistEntry {
  TextSpan title;        // never empty: the name after the comma, else tvg-name, else the address
  TextSpan address;      // a network stream address, unique within the playlist
  TextSpan group_title;  // group-title, else the #EXTGRP before the entry
  TextSpan tvg_id;
  TextSpan tvg_name;
  TextSpan tvg_logo;
  TextSpan tvg_country;   // ISO 3166 codes or names, several separated by ';'
  TextSpan tvg_language;  // language names, several separated by ';'
  TextSpan user_agent;  // of the stream's requests: #EXTVLCOPT, #EXTINF, #EXTHTTP or behind a "|"
  TextSpan referrer;
  TextSpan headers;     // the requests' other headers (Origin, Cookie...): "Name: value" lines apart by LF
  float duration = -1;  // seconds; -1 when the playlist gives none, as for a live stream
  float guide_shift = 0;  // hours the guide's times are moved by (tvg-shift of the entry, else of #EXTM3U)
  uint32_t number = 0;    // the channel's number (tvg-chno); 0 when none
  bool radio = false;     // radio="true"
};

// A line the reader could not use, and why, for the summary after an import.
struct SkippedLine {
  size_t line = 0;  // 1-based
  std::string reason;
};

struct Playlist {
  static constexpr size_t kSkipExamples = 5;

  std::string texts;  // UTF-8: the text read, which the entries point into, or texts added one by one
  std::vector<PlaylistEntry> entries;
  std::vector<std::string> guide_addresses;  // url-tvg and x-tvg-url of #EXTM3U, in order, each once
  float guide_shift = 0;                     // tvg-shift of #EXTM3U, hours
  size_t skipped = 0;                        // lines and entries that could not be used
  std::vector<SkippedLine> skip_examples;    // the first few of them

  std::string_view text(TextSpan span) const { return std::string_view(texts).substr(span.offset, span.size); }
  // Appends a text to texts and answers where it lies. Throws PlaylistError past 4 GiB of texts.
  TextSpan add_text(std::string_view text);
};

// Bounds on what a playlist may cost. No real playlist comes near them: the largest public lists
// hold a few hundred thousand entries in some 40 MB, their longest lines a few kilobytes, and they
// name a guide or two, community lists a hundred or so. A list of short addresses could otherwise
// make ten times its size of entries. The guide addresses it may name are bounded as the list of
// guides the program keeps (guide/guide_address_bounds.h).
inline constexpr size_t kMaxPlaylistBytes = size_t{64} << 20;
inline constexpr size_t kMaxPlaylistLineBytes = size_t{64} << 10;
inline constexpr size_t kMaxPlaylistEntries = 1'000'000;
// An entry's request headers besides its user agent and referrer: real lists give one to three.
inline constexpr size_t kMaxRequestHeaders = 32;
// Guide shifts past a day, and channel numbers past nine digits, are no one's.
inline constexpr float kMaxGuideShiftHours = 24;
inline constexpr uint32_t kMaxChannelNumber = 999'999'999;

// A playlist that cannot be read at all; the message is UTF-8 text fit for the user.
class PlaylistError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
