#include "desktop/handover_request.h"

#include <QDir>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>

namespace {
const QByteArray kSocketHeader = QByteArrayLiteral("quovi-open 1");

// "scheme://..." or "file:...": anything else is a file name, even one with a colon in it.
bool is_uri(const QString& text) {
  static const QRegularExpression uri(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://|^file:"),
                                      QRegularExpression::CaseInsensitiveOption);
  return uri.match(text).hasMatch();
}

// Control characters have no place in an address; percent-encoded, they keep a request one line
// per URI and mean what they meant.
QString without_controls(const QString& uri) {
  QString out;
  out.reserve(uri.size());
  for (const QChar c : uri) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7f)
      out += QStringLiteral("%%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
    else
      out += c;
  }
  return out;
}

bool within_limits(const QStringList& uris) {
  if (uris.size() > kMaxHandoverItems) return false;
  for (const QString& uri : uris)
    if (uri.toUtf8().size() > kMaxHandoverItemBytes) return false;
  return true;
}
}  // namespace

QStringList handover_uris(const QStringList& arguments, const QString& working_folder) {
  QStringList uris;
  for (const QString& argument : arguments) {
    if (argument.isEmpty() || argument.startsWith(QLatin1Char('-'))) continue;
    if (is_uri(argument))
      uris << without_controls(argument);
    else
      uris << QUrl::fromLocalFile(QDir::cleanPath(QDir(working_folder).absoluteFilePath(argument)))
                  .toString(QUrl::FullyEncoded);
  }
  return uris;
}

std::optional<QStringList> handed_over_items(const QStringList& uris) {
  if (!within_limits(uris)) return std::nullopt;
  QStringList items;
  for (const QString& uri : uris) {
    if (uri.isEmpty()) continue;
    const QUrl url(uri);
    items << (url.isLocalFile() ? url.toLocalFile() : uri);
  }
  return items;
}

QByteArray encode_socket_request(const HandoverRequest& request) {
  QByteArray out = kSocketHeader + '\n' + without_controls(request.activation_token).toUtf8() + '\n';
  for (const QString& uri : request.uris) out += without_controls(uri).toUtf8() + '\n';
  return out + '\n';
}

DecodedRequest decode_socket_request(QByteArrayView bytes) {
  DecodedRequest decoded;
  const auto invalid = [&decoded] {
    decoded.state = DecodedRequest::State::Invalid;
    decoded.request = {};
    return decoded;
  };
  if (bytes.size() > kMaxHandoverBytes) return invalid();
  qsizetype start = 0;
  for (int line = 0;; ++line) {
    const qsizetype end = bytes.indexOf('\n', start);
    const QByteArrayView text = bytes.sliced(start, (end < 0 ? bytes.size() : end) - start);
    // A line still arriving is checked as far as it goes. The writer encodes control characters,
    // so none comes from a later start.
    const bool too_long = line == 1 ? text.size() > kMaxHandoverTokenBytes : text.size() > kMaxHandoverItemBytes;
    if (std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }))
      return invalid();
    if (line == 0 ? text.size() > kSocketHeader.size() || !QByteArrayView(kSocketHeader).startsWith(text) : too_long)
      return invalid();
    if (end < 0) return decoded;
    if (line == 0) {
      if (text != kSocketHeader) return invalid();
    } else if (line == 1) {
      decoded.request.activation_token = QString::fromUtf8(text);
    } else if (text.isEmpty()) {
      if (end + 1 != bytes.size()) return invalid();  // nothing may follow the end
      decoded.state = DecodedRequest::State::Complete;
      return decoded;
    } else {
      if (decoded.request.uris.size() == kMaxHandoverItems) return invalid();
      decoded.request.uris << QString::fromUtf8(text);
    }
    start = end + 1;
  }
}
