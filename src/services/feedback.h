#pragma once
#include "catalogue/app_state.h"

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
// recorded in rated_positions / flagged_positions before the request goes out, so it counts even
// when the request fails.
// A position outside the array does nothing.
void send_rating(Catalogue& catalogue, const QString& rating, int position);
void send_flag(Catalogue& catalogue, const QString& flag, int position);

// Reports the channel shown in `row` of the list as broken; a row that shows no channel (-1 when
// none is selected) sends nothing.
void report_bad_channel(const AppState& state, int row);

// The same two by position in the channel array, for PlayerControl's submitUserChannel and
// reportBrokenChannel signals, which have already checked the row and the channel.
void report_bad_channel_at(const AppState& state, int position);
void submit_channel_at(AppState& state, int position);

// True when a player status text announces playing, in any letter case.
bool status_means_playing(const QString& status);
// True when the channel in `row` is a user channel that was never submitted.
bool submission_due(const AppState& state, int row);
// Submits the channel in `row` and marks it sent at once, so a second playing status that comes
// while the request is on its way finds it sent.
void submit_channel(AppState& state, int row);
// The player's status change as a whole: submits when the status announces playing and the
// channel in the selected row (-1: none) is due. Answers whether a submission went out.
bool submit_if_playing(AppState& state, int selected_row, const QString& status);
