#pragma once
#include <QString>

// Base addresses (scheme, host and port, no trailing '/') of the two services, read from the
// "Services" group of the settings file at every call, with the build-time defaults for keys that
// are missing or hold no usable http(s) address.
QString catalogue_service_base();
QString feedback_service_base();

// The settings file holding the group (the settings store's file): <user config folder>/Talvex/Quovi.conf.
QString services_settings_path();
// Stores a base address under "catalogue" or "feedback"; used by set-up and tests.
void write_service_base(const QString& key, const QString& base);
