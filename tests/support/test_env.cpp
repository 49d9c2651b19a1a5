#include "test_env.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace quovi_test {
namespace {
std::unique_ptr<QTemporaryDir> current_sandbox;

class SandboxListener : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override {
    current_sandbox = std::make_unique<QTemporaryDir>();
    const QString root = current_sandbox->path();
    QDir(root).mkpath("data");
    QDir(root).mkpath("config");
    QDir(root).mkpath("home");
    qputenv("XDG_DATA_HOME", QFile::encodeName(root + "/data"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + "/config"));
    qputenv("HOME", QFile::encodeName(root + "/home"));
  }
  void OnTestEnd(const testing::TestInfo&) override { current_sandbox.reset(); }
};
}  // namespace

void install_sandbox_listener() {
  testing::UnitTest::GetInstance()->listeners().Append(new SandboxListener);
}

QString sandbox_root() { return current_sandbox ? current_sandbox->path() : QString(); }

QString catalogue_folder() {
  const QString path = sandbox_root() + "/data/Talvex/Quovi";
  QDir().mkpath(path);
  return path;
}

QProcessEnvironment program_environment() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  const QString root = sandbox_root();
  env.insert("XDG_DATA_HOME", root + "/data");
  env.insert("XDG_CONFIG_HOME", root + "/config");
  env.insert("HOME", root + "/home");
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("QUOVI_AUDIO_OUTPUT", "null");
  return env;
}

QString fixture(const QString& relative) { return QStringLiteral(QUOVI_FIXTURES_DIR "/") + relative; }

QByteArray read_all(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

bool write_all(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}
}  // namespace quovi_test
