#pragma once
#include <QByteArray>
#include <QString>

struct StreamHttpOptions;

// What the player asks of the stream library for every stream (see MediaPlayer's settings); a
// file's own list of them replaces the player's, so it repeats these.
inline constexpr const char* kStreamLibraryOptions = "reconnect=1,reconnect_delay_max=4";

// The per-file options of mpv's loadfile that give one channel's stream the request headers its
// playlist asked for, and no other stream any of them: the user agent and referrer as the player's
// own options, other headers as its header fields, and a cookie in the stream library's cookie
// jar for the stream's host alone (and its subdomains), so that a redirect or a segment on
// another host never carries it. Values are written with their length (%n%), so commas, quotes and
// equals signs in them stay part of them. Empty when the channel asks for nothing.
QByteArray stream_file_options(const StreamHttpOptions& http, const QString& url);
