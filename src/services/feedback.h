#pragma once
#include "views/channel_list_state.h"

#include <QByteArray>
#include <QString>

// Requests to the feedback service. Each one is sent and forgotten: the reply is dropped, a failure
// is swallowed and nothing is retried. The transfer never holds up the caller.

class HttpRequest;

// The service answers with a word or two; a longer reply ends the request.
constexpr qint64 kFeedbackReplyLimit = 64 * 1024;

// Starts a GET whose reply nobody reads; the request object deletes itself after finished().
HttpRequest* send_feedback_request(const QByteArray& url);

// Rating ("5" .. "1") and flag ("ok", "bad", "wrong", "duplicate", "spam") of the channel at
// `position` in the channel array. The channel's id (which a sort cannot move to another channel) is
// recorded in rated_ids / flagged_ids before the request goes out, so it counts even
// when the request fails.
// A position outside the array does nothing.
void send_rating(Catalogue& catalogue, const QString& rating, int position);
void send_flag(Catalogue& catalogue, const QString& flag, int position);

// For the player control's reportBrokenChannel and submitUserChannel signals, by position in the
// channel array: the control has already checked the selected row and the channel, and marks a
// submitted channel sent. A position outside the array sends nothing.
void report_bad_channel_at(const ChannelListState& state, int position);
void submit_channel_at(const ChannelListState& state, int position);
