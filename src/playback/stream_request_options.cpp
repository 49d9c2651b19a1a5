#include "playback/stream_request_options.h"

#include "playback/player_component.h"

#include <QList>
#include <QUrl>

namespace {
// One option of a per-file option list, its value given with its length so that it is read whole.
void add_file_option(QByteArray& list, const char* name, const QByteArray& value) {
  if (value.isEmpty()) return;
  if (!list.isEmpty()) list += ',';
  list += name;
  list += "=%" + QByteArray::number(value.size()) + '%' + value;
}

// The cookie header's pairs as the stream library's cookie jar takes them: one Set-Cookie line per
// pair, bound to the host and every path.
QByteArray cookie_jar_lines(const QByteArray& cookie, const QByteArray& host) {
  QByteArray lines;
  for (const QByteArray& pair : cookie.split(';')) {
    const QByteArray trimmed = pair.trimmed();
    if (trimmed.isEmpty() || !trimmed.contains('=')) continue;
    if (!lines.isEmpty()) lines += '\n';
    lines += trimmed + "; path=/; domain=" + host;
  }
  return lines;
}
}  // namespace

QByteArray stream_file_options(const StreamHttpOptions& http, const QString& url) {
  QByteArray options;
  add_file_option(options, "user-agent", http.user_agent);
  add_file_option(options, "referrer", http.referrer);
  QByteArray fields, cookie;
  for (const QByteArray& line : http.headers.split('\n')) {
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0) continue;
    const QByteArray name = line.left(colon).trimmed(), value = line.mid(colon + 1).trimmed();
    if (value.isEmpty()) continue;
    if (name.compare("cookie", Qt::CaseInsensitive) == 0) {
      cookie = value;
      continue;
    }
    // A list of fields apart by commas: a comma within one is written "\,".
    if (!fields.isEmpty()) fields += ',';
    fields += name + ": " + QByteArray(value).replace(',', "\\,");
  }
  add_file_option(options, "http-header-fields", fields);
  // The jar compares a cookie's domain with the end of the host the request goes to, written with
  // its port when the address names one.
  const QUrl address(url, QUrl::TolerantMode);
  QByteArray host = address.host(QUrl::FullyEncoded).toUtf8();
  if (address.port() >= 0) host += ':' + QByteArray::number(address.port());
  if (!cookie.isEmpty() && !address.host().isEmpty()) {
    const QByteArray lines = cookie_jar_lines(cookie, host);
    if (!lines.isEmpty()) {
      QByteArray jar = kStreamLibraryOptions;
      add_file_option(jar, "cookies", lines);
      add_file_option(options, "stream-lavf-o", jar);
    }
  }
  return options;
}
