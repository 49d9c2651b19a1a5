#include "services/service_urls.h"

#include <QUrl>

namespace {
QByteArray number(int32_t value) { return QByteArray::number(value); }
QByteArray stamp_bytes(std::string_view stamp) {
  return QByteArray(stamp.data(), static_cast<qsizetype>(stamp.size()));
}
}  // namespace

QByteArray encode_query_value(const QString& value) { return QUrl::toPercentEncoding(value); }

QByteArray catalogue_request_url(const QString& base, std::string_view version_stamp) {
  QByteArray url = base.toUtf8() + "/service/get.php?key='";
  if (!version_stamp.empty()) url += "&date=" + stamp_bytes(version_stamp);
  return url;
}

QByteArray update_page_url(const QString& base) { return base.toUtf8() + "/update.html"; }

QByteArray rating_url(const QString& base, const QString& rating, int32_t channel_id) {
  return base.toUtf8() + "/service/rate.php?rating=" + encode_query_value(rating) + "&id=" + number(channel_id);
}

QByteArray flag_url(const QString& base, const QString& flag, int32_t channel_id) {
  return base.toUtf8() + "/service/flag.php?flag=" + encode_query_value(flag) + "&id=" + number(channel_id);
}

QByteArray bad_channel_url(const QString& base, int32_t channel_id) {
  return base.toUtf8() + "/service/bad.php?channel_id=" + number(channel_id);
}

QByteArray submission_url(const QString& base, const Channel& channel) {
  // The "&" right after the "?" is what the service has always received.
  QByteArray url = base.toUtf8() + "/service/new2.php?";
  url += "&group=" + number(channel.group_id);
  url += "&name=" + encode_query_value(channel.name.text());
  url += "&url=" + encode_query_value(to_qstring(channel.url));
  url += "&bitrate=" + number(channel.bitrate);
  url += "&type=" + number(channel.type_id);
  url += "&homepage=" + encode_query_value(to_qstring(channel.homepage));
  url += "&country=" + number(channel.country_id);
  url += "&genre=" + number(channel.genre_id);
  url += "&comment=" + encode_query_value(to_qstring(channel.comment));
  return url;
}
