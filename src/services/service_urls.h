#pragma once
#include "catalogue/records.h"

#include <QByteArray>
#include <QString>

#include <string_view>

// The request URLs of both services, built on a base address (scheme, host, port) such as
// "http://127.0.0.1:8741".

// The catalogue request: "/service/get.php?key='", then "&date=" and the loaded catalogue's
// version stamp when there is one.
QByteArray catalogue_request_url(const QString& base, std::string_view version_stamp);

// The page offered after an update of the channel list.
QByteArray update_page_url(const QString& base);

// Feedback requests. Every query value is percent-encoded (RFC 3986, UTF-8), so a space becomes
// "%20" and a "&" or "#" in a name stays part of its value.
QByteArray rating_url(const QString& base, const QString& rating, int32_t channel_id);
QByteArray flag_url(const QString& base, const QString& flag, int32_t channel_id);
QByteArray bad_channel_url(const QString& base, int32_t channel_id);
QByteArray submission_url(const QString& base, const Channel& channel);

// A query value as it goes on the wire.
QByteArray encode_query_value(const QString& value);
