#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

// What a later start of the program hands to the copy already running: the playlist files and
// addresses it was given, as URIs (a file by its absolute path, so the running copy need not know
// the later start's working folder), and the token that lets the running copy take the focus.
struct HandoverRequest {
  QStringList uris;
  QString activation_token;  // empty when the desktop gave none
};

// More than this is refused whole by the running copy: a command line never holds so much.
inline constexpr int kMaxHandoverItems = 256;
inline constexpr int kMaxHandoverItemBytes = 16 * 1024;
inline constexpr int kMaxHandoverTokenBytes = 1024;
inline constexpr qsizetype kMaxHandoverBytes = 1024 * 1024;

// The start's arguments (without the program's name) as URIs: options are left out, addresses and
// URIs stay as they are, anything else is a file relative to `working_folder`.
QStringList handover_uris(const QStringList& arguments, const QString& working_folder);

// What the running copy adds for the URIs it was handed: local files by their path, addresses as
// they are. Nothing when the request breaks the limits above.
std::optional<QStringList> handed_over_items(const QStringList& uris);

// The request as it goes over the local socket where there is no session bus: one line
// "quovi-open 1", one line with the token, then one URI per line and an empty line.
QByteArray encode_socket_request(const HandoverRequest& request);
// The request read back from what has arrived so far: Incomplete while more bytes may make it
// whole, Invalid as soon as it cannot become a request within the limits.
struct DecodedRequest {
  enum class State { Incomplete, Invalid, Complete } state = State::Incomplete;
  HandoverRequest request;  // when Complete
};
DecodedRequest decode_socket_request(QByteArrayView bytes);
