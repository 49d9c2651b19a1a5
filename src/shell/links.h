#pragma once
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

// The web site and support mail address behind the main window's two links. They are settings
// (group "Links", keys "site" and "mail" of the program's settings file) with build-time defaults;
// without a site built in, the site is the catalogue service's page ("http://host:port/").
QString links_settings_path();  // computed at every call: the configuration folder may change
QString site_address();
QString support_mail_address();

// The address to open for a web page typed by anyone (a channel homepage from the remote
// catalogue, the site setting): http and https only; a text without a scheme gets "http://".
// Anything else answers nothing and must not be opened.
std::optional<QUrl> web_page_url(const QString& text);

// "mailto:" and the address, or nothing when the text cannot be a plain mail address.
std::optional<QUrl> mail_url(const QString& address);

// How addresses leave the program; tests replace it to see what would be opened.
using UrlOpener = std::function<void(const QUrl&)>;
UrlOpener default_url_opener();
