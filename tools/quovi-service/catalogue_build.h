#pragma once
#include "catalogue/zip_memory_writer.h"
#include "feedback_store.h"

#include <QDateTime>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// Building the catalogue the service publishes: the editors' source catalogue with the users'
// recorded feedback folded in and a new version stamp. The source is never changed, so building
// again from the same source and database gives the same counts: feedback is counted once.

// The members of a source catalogue: a channel database file, or a folder holding the member
// files ("countries.dat", "tv.dat", ...; every file of the folder becomes a member). Throws
// std::runtime_error (CatalogueError for a damaged file) with a message naming the path.
std::vector<ZipMember> read_source_members(const std::string& path);

// The members of a channel database file's content; throws CatalogueError when it is no archive.
std::vector<ZipMember> members_of_channel_file(const std::string& bytes);

struct FoldResult {
  std::string content;
  size_t channels_changed = 0;
  std::vector<int32_t> matched_ids;  // ids of the lines that received feedback
};

// Adds each channel's feedback to its line of a channel member ("tv.dat", "radio.dat",
// "video.dat"): ratings to the rating sum (field 9) and count (10), flags to the five report
// counts (11-15), automatic broken-channel reports to "not working" (12). Line ends and every
// other field stay byte for byte. Throws CatalogueError naming the member and line when a line is
// no channel line the player could load (an empty line, too few fields, a number that does not
// read).
FoldResult fold_feedback_into_member(std::string_view member, std::string_view content,
                                     const std::map<int32_t, ChannelFeedback>& totals);

struct BuildSummary {
  std::string stamp;
  size_t channels_changed = 0;
  std::vector<int32_t> unknown_channel_ids;  // feedback about ids the source does not hold
};

// Folds the totals into every channel member (names compared without regard to ASCII case) and
// replaces "version.dat" with the stamp, adding it when the source has none.
BuildSummary fold_feedback_into_catalogue(std::vector<ZipMember>& members,
                                          const std::map<int32_t, ChannelFeedback>& totals,
                                          const std::string& stamp);

// Puts the stamp into "version.dat" (every member of that name), adding one when there is none.
void stamp_members(std::vector<ZipMember>& members, const std::string& stamp);

// The stamp of a new catalogue: the minute of `now`, or one minute after the newest of the
// earlier stamps when that is not later, so that every client holding an earlier catalogue
// downloads the new one.
std::string next_version_stamp(const QDateTime& now, const std::vector<std::string>& earlier_stamps);

// The channel database file of the members: a ZIP archive, encrypted. Loads it back before
// answering, so a catalogue the player cannot load is never produced (throws CatalogueError).
std::string make_channel_file(const std::vector<ZipMember>& members, const QDateTime& when);

// One submitted channel as a line of the review list.
std::string describe_submission(const StoredSubmission& submission);
