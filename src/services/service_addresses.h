#pragma once
#include <QString>
#include <QtGlobal>

// Base addresses (scheme, host and port, no trailing '/') of the two services, read from the
// "Services" group of the settings file at every call, with the build-time defaults for keys that
// are missing or hold no usable http(s) address.
QString catalogue_service_base();
QString feedback_service_base();

// The largest catalogue the download accepts, in megabytes of 1,000,000 bytes: the group's
// "catalogue_limit_mb", a whole number; the default where it is missing, not a number or below 1,
// and the most the reply's 31-bit length can carry where it is larger.
inline const QString kCatalogueLimitKey = QStringLiteral("catalogue_limit_mb");
constexpr int kDefaultCatalogueLimitMb = 300;
constexpr int kLargestCatalogueLimitMb = 2147;
int catalogue_limit_mb();
// The largest catalogue reply accepted, in bytes: the limit above and the reply's 6-byte header.
qint64 catalogue_reply_limit();

// The settings file holding the group (the settings store's file): <user config folder>/Talvex/Quovi.conf.
QString services_settings_path();
// Stores a base address under "catalogue" or "feedback"; used by set-up and tests.
void write_service_base(const QString& key, const QString& base);
