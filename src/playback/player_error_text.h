#pragma once
#include "playback/player_component.h"

#include <QString>
#include <QStringList>

// mpv's own error codes are terse ("loading failed"); the cause the user can act on, such as
// "Connection refused" or "HTTP error 404 Not Found", only appears in its log. These pick it out.

// The most telling cause found in log lines (newest last), or an empty text.
QString error_cause_from_log(const QStringList& log_lines);

// The description shown to the user: the cause when known, with mpv's error text kept beside it.
QString describe_player_error(const QString& cause, const QString& mpv_error);

// A failure that lies with this computer rather than with the channel (the sound or video output
// could not be started, or no decoder for the stream's format is installed), named so the user
// knows where to look; the empty text when the channel is to blame.
QString local_failure_cause(int mpv_error, const QStringList& log_lines);

// The error entry for an mpv failure and the log lines of its load: the text shown to the user and
// whether the failure is this computer's (such a failure is never reported as a broken channel).
PlayerError player_failure(int mpv_error, const QStringList& log_lines);

// A stream with sound and nothing to see, on a computer without a sound device.
QString no_sound_device_message();
