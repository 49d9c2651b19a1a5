#pragma once
#include "catalogue/keyed_hash.h"
#include "playlists/playlist.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

// What a reader found for one entry: views into the text being read (PlaylistBuilder::text()), or
// for the request headers, which may have been decoded, into texts of the reader's own.
struct EntryFields {
  std::string_view title;
  std::string_view address;
  std::string_view group_title;
  std::string_view tvg_id;
  std::string_view tvg_name;
  std::string_view tvg_logo;
  std::string_view tvg_country;
  std::string_view tvg_language;
  std::string_view user_agent;
  std::string_view referrer;
  std::string_view headers;
  float duration = -1;
  float guide_shift = 0;
  uint32_t number = 0;
  bool radio = false;
};

// Makes a Playlist of what the M3U and PLS readers find, with the rules both keep: an address must
// be one a channel may be tried with, the first entry of an address is the only one, titles, groups
// and user agents are cleaned as any shown text from outside (catalogue/shown_text.h), and every
// line that is not used is counted, the first few with the reason.
//
// The text being read becomes the playlist's texts, and the entries point into it: every text of
// an entry is a piece of the file, and copying the pieces out cost more than reading them. A text
// is cleaned where it lies (cleaning never lengthens it); the pieces of the lines already read are
// the reader's no more.
class PlaylistBuilder {
 public:
  explicit PlaylistBuilder(std::string utf8);

  // The text to read; the views of EntryFields are pieces of it.
  std::string_view text() const { return playlist_.texts; }

  // Room for that many entries, when the reader can count them beforehand: growing the entries
  // and the table of addresses step by step copied and rehashed each several times over.
  void expect_entries(size_t count);
  // The entry whose address is on the given line; skipped and counted when its address is refused
  // or was seen before, or when the playlist holds kMaxPlaylistEntries already.
  void add(size_t line, const EntryFields& fields);
  // A programme guide address; refused ones are counted like entries.
  void add_guide(size_t line, std::string_view address);
  void skip(size_t line, std::string reason);
  // The guide shift of the playlist's header, written back with it.
  void set_guide_shift(float hours) { playlist_.guide_shift = hours; }

  Playlist finish();

  // The most slots a lookup of a taken address passes, for the tests: crafted addresses must not
  // pile up in one run of the table.
  size_t longest_probe() const;

 private:
  TextSpan span_of(std::string_view piece) const;
  // The piece cleaned where it lies: a view of the start of the same piece.
  std::string_view clean_in_place(std::string_view piece);
  // A title for an entry that has only its address, which must stay as it is.
  TextSpan title_of_address(std::string_view address, size_t entry);
  // The span of a piece of the text, or of a text from elsewhere kept for the entry's field.
  TextSpan kept(std::string_view text, size_t entry, TextSpan PlaylistEntry::*field);
  bool in_text(std::string_view piece) const;

  // The addresses taken so far, in open addressing over the entries' own texts: a set of nodes
  // cost a heap block per address and took a fifth of the time of reading a large list. The hash
  // is keyed (catalogue/keyed_hash.h): with a fixed one, a file of addresses made to share a slot
  // took minutes to read.
  struct Slot {
    uint32_t tag = 0;    // more bits of the address's hash
    uint32_t entry = 0;  // the entry's index + 1; 0 when the slot is free
    uint32_t line = 0;   // of the entry's address
  };
  Slot& slot_of(std::string_view address, size_t hash);
  void grow_slots();

  Playlist playlist_;
  std::vector<Slot> slots_;  // a power of two in number, at most half of them taken
  std::unordered_set<std::string_view, KeyedTextHash, std::equal_to<>> guides_seen_;  // the guide addresses taken, as they lie there
  // Texts that are no pieces of the text read (titles cleaned from addresses that needed it,
  // request headers decoded), appended to the texts at the end, and the entries' fields they fill.
  struct AddedText {
    uint32_t entry = 0;
    TextSpan PlaylistEntry::*field = nullptr;
    TextSpan span;  // in added_texts_
  };
  std::string added_texts_;
  std::vector<AddedText> added_spans_;
};

// Why a line longer than kMaxPlaylistLineBytes is not used.
std::string too_long_reason();

// Whether a value for an HTTP header holds a control character (a tab aside): the player refuses
// to load with one, so the option is not used.
bool has_control_character(std::string_view value);
