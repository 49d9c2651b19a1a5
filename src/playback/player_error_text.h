#pragma once
#include <QString>
#include <QStringList>

// mpv's own error codes are terse ("loading failed"); the cause the user can act on, such as
// "Connection refused" or "HTTP error 404 Not Found", only appears in its log. These pick it out.

// The most telling cause found in log lines (newest last), or an empty text.
QString error_cause_from_log(const QStringList& log_lines);

// The description shown to the user: the cause when known, with mpv's error text kept beside it.
QString describe_player_error(const QString& cause, const QString& mpv_error);
