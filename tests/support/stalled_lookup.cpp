#include "stalled_lookup.h"

#include "test_server.h"

#include <QCoreApplication>
#include <QProcess>
#include <gtest/gtest.h>

#include <dlfcn.h>

QByteArray stalling_url(const char* path) { return QByteArray("http://") + kStallingHost + path; }

int stalled_lookups() {
  using Count = int (*)();
  static const auto count = reinterpret_cast<Count>(dlsym(RTLD_DEFAULT, "quovi_stalled_lookups"));
  return count ? count() : -1;
}

bool run_with_stalling_resolver() {
  if (stalled_lookups() >= 0) return true;
  const auto* info = testing::UnitTest::GetInstance()->current_test_info();
  const QString test = QString::fromUtf8(info->test_suite_name()) + '.' + QString::fromUtf8(info->name());

  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  const QString preload = environment.value("LD_PRELOAD");
  environment.insert("LD_PRELOAD", QStringLiteral(QUOVI_STALLING_RESOLVER) + (preload.isEmpty() ? "" : ":" + preload));
  // A sanitizer runtime linked as a shared library wants to come first; the stand-in only forwards.
  const QString asan = environment.value("ASAN_OPTIONS");
  environment.insert("ASAN_OPTIONS", (asan.isEmpty() ? "" : asan + ":") + "verify_asan_link_order=0");
  QProcess child;
  child.setProcessEnvironment(environment);
  child.setProcessChannelMode(QProcess::MergedChannels);
  child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=" + test});
  const bool ended = child.waitForFinished(60000);
  // A filter that matches nothing also ends with 0, hence the count of passed tests.
  const QByteArray output = child.readAll();
  EXPECT_TRUE(ended && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0 &&
              output.contains("[  PASSED  ] 1 test"))
      << "in a child process with the stand-in resolver:\n" << output.toStdString();
  return false;
}

bool wait_for_stalled_lookup(int before, int milliseconds) {
  return wait_until([before] { return stalled_lookups() > before; }, milliseconds);
}
