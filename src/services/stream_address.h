#pragma once
#include <QString>
#include <QUrl>

#include <optional>

// The address "Test Channel" may hand to the desktop: only network stream and web addresses
// (http, https, mms, rtsp, rtmp and their variants) with a host. Local files, programs and any
// other scheme answer nothing, so testing a channel can never start something on this machine.
std::optional<QUrl> testable_stream_address(const QString& trimmed_url);
