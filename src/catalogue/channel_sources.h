#pragma once
#include "catalogue/records.h"

#include <cstdint>
#include <string>

// Where a channel comes from, and what that allows. Every rule in which the catalogue's channels,
// the user's own and a playlist's differ is asked here, never by looking at a channel's fields in
// place; a new source (a directory of stations) adds its kind and its line of the table.
enum class ChannelSource : uint8_t { Catalogue, User, Playlist };

// What "Update Channel" does for a channel.
enum class UpdateCommand : uint8_t {
  None,     // greyed: the channel changes with its source
  Explain,  // tells how to have the catalogue's entry corrected
  Edit,     // opens the add/update dialog on it
};

// What the Rating column shows.
enum class RatingShown : uint8_t { Average, No, Blank };

// By what a channel is known from one run to the next: its id, or its address (a playlist's
// channels are numbered anew at every load).
enum class ChannelKey : uint8_t { Id, Address };

struct SourceRules {
  bool rated_and_flagged = false;      // the service hears the user's ratings and flags
  bool reported_when_broken = false;   // the service hears of a play that failed
  bool submitted_when_played = false;  // its first play sends the channel to the service
  UpdateCommand update = UpdateCommand::None;
  bool removable = false;              // "Remove Channel"
  bool refuses_duplicate_address = false;  // a channel added by hand may not repeat its address
  bool service_status_shown = false;   // the list shows its report status (else the source's picture)
  RatingShown rating = RatingShown::Blank;
  bool bitrate_known = false;          // the Bitrate column shows its bitrate
  bool country_and_genre_by_name = false;  // matched to the tables by name (catalogue/source_tables.h)
  ChannelKey favorites_key = ChannelKey::Id;  // Id: favorites.dat; Address: the source's own file
  ChannelKey guide_match_key = ChannelKey::Id;
};

ChannelSource source_of(const Channel& channel);
const SourceRules& rules_of(ChannelSource source);
inline const SourceRules& rules_of(const Channel& channel) { return rules_of(source_of(channel)); }

// The key under which a guide match chosen by hand is kept for the channel: its id in decimal, or
// its address. Empty when the channel has none that could be kept (an address with a line end or
// a tab).
std::string guide_match_key(const Channel& channel);
