#pragma once
#include "guide/guide.h"

#include "catalogue/keyed_hash.h"

#include <QString>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Which guide channel a channel of the user's shows: the user's own choice, else its tvg-id, else
// its name compared with the guide's display names.

// A name as names are compared: letters and digits only, case folded and without accents, and
// without a trailing "HD", "FHD" or "UHD" word ("Das Erste HD", "das-erste" and "Das Érste" alike).
std::string normalised_channel_name(std::string_view name);
// A guide channel id as ids are compared: ASCII letters folded, nothing else changed.
std::string folded_guide_id(std::string_view id);

// A channel of one of several guides.
struct GuideChannelRef {
  uint32_t guide = 0;  // its place among the guides indexed
  uint32_t channel = 0;
  bool operator==(const GuideChannelRef&) const = default;
};

// The ids and display names of the guides read, the first guide and channel first.
class GuideIndex {
 public:
  void add(const Guide& guide, uint32_t guide_number);
  std::optional<GuideChannelRef> by_id(std::string_view id) const;
  std::optional<GuideChannelRef> by_name(std::string_view name) const;

 private:
  std::unordered_map<std::string, GuideChannelRef, KeyedTextHash> ids_;    // ASCII letters folded
  std::unordered_map<std::string, GuideChannelRef, KeyedTextHash> names_;  // normalised
};

// What a channel offers to be matched by.
struct ChannelToMatch {
  std::string_view tvg_id;  // from its playlist; empty when it has none
  std::string_view name;
  // The guide channel id the user chose for it; an empty id means the user wants none.
  const std::string* manual = nullptr;
};

// A tvg-id the guides do not know falls back to the name, since playlists often carry ids of
// another guide.
std::optional<GuideChannelRef> match_channel(const GuideIndex& index, const ChannelToMatch& channel);

// The user's matches by the key of the channel (its id in decimal, or the address of a channel
// known by its address), kept in a small text file: one line per channel, its key, a tab and the
// guide channel id (empty for "no guide"), UTF-8. A key never holds a tab or a line end.
using ManualGuideMatches = std::map<std::string, std::string>;
QString guide_matches_path(const QString& app_data);
ManualGuideMatches load_guide_matches(const QString& path);
// Written whole or not at all; false when it could not be written.
bool save_guide_matches(const QString& path, const ManualGuideMatches& matches);
