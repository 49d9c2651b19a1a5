#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

// What the user hands over as playlists, told apart without a window: typed or pasted text, the
// clipboard, a drop on the window.

// An address the program reads playlists from: http:// or https://.
bool is_playlist_address(const QString& text);

// The address that `text` is, when it is one and nothing else (surrounding blanks aside): what the
// clipboard offers for "Add Playlist...". Empty otherwise.
QString address_in_text(const QString& text);

// The files and addresses of a drop: its URIs (text/uri-list) where it has any, local files by
// their path and addresses as they are; else the lines of its plain text that are addresses, as a
// browser gives a link's text. Anything else is not taken.
QStringList dropped_playlists(const QList<QUrl>& uris, const QString& text);
