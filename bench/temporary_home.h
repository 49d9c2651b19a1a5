#pragma once
// A benchmark's settings, catalogue and user files live in a folder of the run's own: the user's
// own folders are never touched.
#include <QByteArray>
#include <QTemporaryDir>

namespace bench {
// Points HOME and the XDG folders at `home` for the rest of the run.
inline void use_temporary_home(const QTemporaryDir& home) {
  for (const char* variable : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
    qputenv(variable, home.path().toLocal8Bit());
}
}  // namespace bench
