#pragma once
#include "catalogue/records.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// The add/update dialog's content as the user left it.
struct ChannelFields {
  int category_index = 0;  // 0 " -----", 1 TV, 2 Radio, 3 Video
  QString name;
  QString url;
  QString bitrate;
  int type_index = 0;      // 0 " -----", 1 "Media Player", 2 "Real Player"
  QString homepage;
  int country_index = 0;   // entry 0 reads "-----" and is never a choice
  QString country_name;    // text of the chosen entry
  int genre_index = 0;
  QString genre_name;
  QString comment;
};

// Removes spaces and control characters at both ends.
QString trim_text(const QString& text);

// The message of the first check the fields fail, in the order the dialog reports them; nothing
// when they pass. Beyond the required choices this refuses, field by field, what the user channel
// file cannot keep: "|", a line break or a NUL in a text (each would damage the file for the next
// start) and characters Windows-1252 lacks (they would come back as "?"; the message names them);
// then a bitrate that is not a 32-bit number.
std::optional<QString> validate_channel_fields(const ChannelFields& fields);

// The bitrate the field stands for: empty means 0. Only for fields that passed validation.
int32_t bitrate_from_field(const QString& text);

// "A duplicate value was detected. " and the name of the first channel, catalogue or user-defined,
// whose stored URL equals the trimmed field with ASCII letters compared without case.
std::optional<QString> duplicate_url_message(const Catalogue& catalogue, const QString& url_field);

// Writes the dialog's fields into a channel record: the fields the dialog owns change, the others
// (id, sent, favorited, user_defined, ratings and reports) stay as `base` has them.
Channel channel_with_fields(const Catalogue& catalogue, const ChannelFields& fields, Channel base);

// Validates, checks the URL against every channel and appends a new user-defined channel with id
// highest_user_id + 1 at the end of the channel array; the caller sorts again so it takes its place
// in the list. Answers the message to show when it refuses; the catalogue is untouched then.
std::optional<QString> add_user_channel(Catalogue& catalogue, const ChannelFields& fields);

// The user's channel at that position of the channel array when it still carries that id; nothing
// otherwise. Editing goes by position: a catalogue channel may carry the same id and lie earlier.
const Channel* channel_to_rewrite(const Catalogue& catalogue, int position, int32_t id);

// Validates and rewrites the channel that channel_to_rewrite finds, in its place; id, sent and
// favourite mark stay.
std::optional<QString> rewrite_user_channel(Catalogue& catalogue, int position, int32_t id, const ChannelFields& fields);

// Where the dialog starts when it opens for an existing channel. The lists' entries are needed to
// choose the country and genre entries the way the dialog shows them.
ChannelFields fields_from_channel(const Catalogue& catalogue, const Channel& channel, const QStringList& country_entries,
                                  const QStringList& genre_entries);

// The information shown when "Update Channel" is asked for a catalogue channel.
QString catalogue_channel_message(const QString& support_mail);
