#pragma once
#include <QProcessEnvironment>
#include <QString>

// Every test runs with XDG_DATA_HOME, XDG_CONFIG_HOME and HOME pointing into a temporary folder of
// its own, made fresh before the test and removed after it, so no test ever sees the user's files.
namespace quovi_test {
// Root of the current test's temporary folder.
QString sandbox_root();
// The catalogue folder inside the sandbox ($XDG_DATA_HOME/Talvex/Quovi), created on demand.
QString catalogue_folder();
// Path of a file among the reference files in tests/data/fixtures (made apart from this code).
QString fixture(const QString& relative);
// Whole content of a file, or an empty array when it cannot be read.
QByteArray read_all(const QString& path);
bool write_all(const QString& path, const QByteArray& bytes);
// For starting the program itself: this process's environment with the sandbox's folders, the
// offscreen platform and no sound.
QProcessEnvironment program_environment();
}  // namespace quovi_test
