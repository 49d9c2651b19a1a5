#include "shell/links.h"

#include "services/service_addresses.h"
#include "version.h"

#include <QDesktopServices>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>

namespace {
QString read_link_setting(const QString& key, const QString& fallback) {
  QSettings settings(links_settings_path(), QSettings::IniFormat);
  settings.beginGroup(QStringLiteral("Links"));
  const QVariant value = settings.value(key);
  const QString text = value.typeId() == QMetaType::QString ? value.toString().trimmed() : QString();
  return text.isEmpty() ? fallback : text;
}

bool has_blank_or_control(const QString& text) {
  for (const QChar c : text)
    if (c.isSpace() || c.category() == QChar::Other_Control || c.category() == QChar::Other_Format) return true;
  return false;
}
}  // namespace

QString links_settings_path() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Talvex/Quovi.conf");
}

QString site_address() {
  // Without a site of its own, the program's site is its catalogue service's page, so the link
  // follows the service the settings name.
  const QString built_in = QStringLiteral(QUOVI_DEFAULT_SITE_URL);
  return read_link_setting(QStringLiteral("site"), built_in.isEmpty() ? catalogue_service_base() + QLatin1Char('/') : built_in);
}

QString support_mail_address() {
  return read_link_setting(QStringLiteral("mail"), QStringLiteral(QUOVI_DEFAULT_SUPPORT_MAIL));
}

std::optional<QUrl> web_page_url(const QString& text) {
  const QString trimmed = text.trimmed();
  if (trimmed.isEmpty() || has_blank_or_control(trimmed)) return std::nullopt;
  // "host:8080/path" names a port, not a scheme called "host".
  static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):(?!\\d+(?:[/?#]|$))"));
  const QRegularExpressionMatch m = scheme.match(trimmed);
  QString full = trimmed;
  if (m.hasMatch()) {
    const QString name = m.captured(1).toLower();
    if (name != QLatin1String("http") && name != QLatin1String("https")) return std::nullopt;
  } else {
    full = QStringLiteral("http://") + trimmed;
  }
  const QUrl url(full, QUrl::StrictMode);
  if (!url.isValid() || url.host().isEmpty()) return std::nullopt;
  const QString name = url.scheme().toLower();
  if (name != QLatin1String("http") && name != QLatin1String("https")) return std::nullopt;
  return url;
}

std::optional<QUrl> mail_url(const QString& address) {
  const QString trimmed = address.trimmed();
  static const QRegularExpression plain_address(QStringLiteral("^[^@:/?#\\s]+@[^@:/?#\\s]+$"));
  if (has_blank_or_control(trimmed) || !plain_address.match(trimmed).hasMatch()) return std::nullopt;
  QUrl url;
  url.setScheme(QStringLiteral("mailto"));
  url.setPath(trimmed);
  if (!url.isValid()) return std::nullopt;
  return url;
}

UrlOpener default_url_opener() {
  return [](const QUrl& url) { QDesktopServices::openUrl(url); };
}
