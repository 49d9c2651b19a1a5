#pragma once
#include <QString>
#include <QUrl>

#include <optional>

// The address "Test Channel" may hand to the desktop: only network stream and web addresses
// (http, https, mms, rtsp, rtmp and their variants) with a host. Local files, programs and any
// other scheme answer nothing, so testing a channel can never start something on this machine.
std::optional<QUrl> testable_stream_address(const QString& trimmed_url);

// The same schemes for an address the player opens itself (a playlist's entry or guide), read as
// the player reads it: template addresses ("?id={PSID}"), "|", "^", a backslash and a stray "%" pass, which
// strict parsing refuses; a host is required all the same, and a control character refused.
bool is_playable_stream_address(const QString& trimmed_url);
