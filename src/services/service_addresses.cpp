#include "services/service_addresses.h"

#include "settings/settings_store.h"
#include "version.h"

#include <QSettings>
#include <QUrl>

#include <algorithm>

namespace {
const QString kGroup = QStringLiteral("Services");

// Keeps only what makes a base: scheme, host and port. Anything else (a path, a query) would
// change every request built on it, so an address with more is refused like a broken one.
QString usable_base(const QString& text) {
  QString trimmed = text.trimmed();
  while (trimmed.endsWith('/')) trimmed.chop(1);
  const QUrl url(trimmed, QUrl::StrictMode);
  if (!url.isValid() || url.host().isEmpty()) return {};
  const QString scheme = url.scheme().toLower();
  if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) return {};
  if (!url.path().isEmpty() || url.hasQuery() || url.hasFragment() || !url.userInfo().isEmpty()) return {};
  return url.toString(QUrl::FullyEncoded);
}

QString read_base(const QString& key, const char* fallback) {
  QSettings settings(services_settings_path(), QSettings::IniFormat);
  settings.beginGroup(kGroup);
  const QString stored = usable_base(settings.value(key).toString());
  return stored.isEmpty() ? usable_base(QString::fromUtf8(fallback)) : stored;
}
}  // namespace

QString services_settings_path() { return settings_file_path(); }

QString catalogue_service_base() { return read_base(QStringLiteral("catalogue"), QUOVI_DEFAULT_CATALOGUE_SERVICE); }
QString feedback_service_base() { return read_base(QStringLiteral("feedback"), QUOVI_DEFAULT_FEEDBACK_SERVICE); }

int catalogue_limit_mb() {
  QSettings settings(services_settings_path(), QSettings::IniFormat);
  settings.beginGroup(kGroup);
  bool number = false;
  const qlonglong stored = settings.value(kCatalogueLimitKey).toString().trimmed().toLongLong(&number);
  if (!number || stored < 1) return kDefaultCatalogueLimitMb;
  return static_cast<int>(std::min<qlonglong>(stored, kLargestCatalogueLimitMb));
}

qint64 catalogue_reply_limit() { return qint64{catalogue_limit_mb()} * 1000000 + 6; }

void write_service_base(const QString& key, const QString& base) {
  change_settings_file(key, [&](QSettings& settings) { settings.setValue(kGroup + QLatin1Char('/') + key, base); });
}
