#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>

namespace quovi_test {
// A clip of the tests' own media (tests/data/playback); empty when it cannot be read.
inline QByteArray test_media(const QString& name) {
  QFile f(QStringLiteral(QUOVI_TEST_DATA_DIR "/playback/") + name);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
}  // namespace quovi_test
