#pragma once
#include <QString>

// Stream addresses come from a remote catalogue, so the player is only ever given network streams:
// local files and mpv's own protocols (av://, lavfi://, edl://, memory://, ...) could read or
// synthesise anything on this machine.
bool is_network_stream_url(const QString& url);

// The error text shown when a channel's address is refused.
QString refused_stream_message(const QString& url);
