// What waits for the main window's first paint (the player): it runs once, after the window has
// been exposed, whether it was asked for before the window showed or after; and the program makes
// its player that way.
#include "shell/first_show_marker.h"
#include "test_env.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

TEST(AfterFirstPaint, RunsOnceAfterTheWindowIsExposed) {
  for (const bool asked_after_show : {false, true}) {
    SCOPED_TRACE(asked_after_show ? "asked after the window showed" : "asked before the window showed");
    QWidget window;
    window.resize(200, 100);
    int runs = 0;
    bool exposed_when_run = false;
    const auto then = [&] {
      ++runs;
      exposed_when_run = window.windowHandle() && window.windowHandle()->isExposed();
    };
    if (asked_after_show) {
      window.show();
      ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
      after_first_paint(&window, then);
    } else {
      after_first_paint(&window, then);
      window.show();
    }
    EXPECT_EQ(runs, 0) << "runs from the event loop, never inside the call";
    ASSERT_TRUE(QTest::qWaitFor([&] { return runs > 0; }, 5000));
    EXPECT_TRUE(exposed_when_run);
    // Hidden and shown again, the window is painted again but the work is not repeated.
    window.hide();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(50);
    EXPECT_EQ(runs, 1);
  }
}

namespace {
// Names of the running program's threads.
QStringList thread_names(qint64 pid) {
  QStringList names;
  const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
  for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    QFile comm(tasks + QLatin1Char('/') + task + QStringLiteral("/comm"));
    if (comm.open(QIODevice::ReadOnly)) names << QString::fromUtf8(comm.readAll().trimmed());
  }
  return names;
}
}  // namespace

TEST(ProgramStart, ThePlayerFollowsTheWindow) {
  ASSERT_TRUE(QFile::copy(quovi_test::fixture("catalogue/sample-channels.dat"),
                          quovi_test::catalogue_folder() + "/channels.dat"));
  QProcess program;
  QProcessEnvironment env = quovi_test::program_environment();
  env.insert("QUOVI_MARK_SHOWN", "1");
  program.setProcessEnvironment(env);
  program.start(QStringLiteral(QUOVI_PROGRAM), {});
  ASSERT_TRUE(program.waitForStarted(10000));
  QDeadlineTimer deadline(30000);
  QByteArray out;
  while (!out.contains("quovi: main window shown") && !deadline.hasExpired() && program.waitForReadyRead(1000))
    out += program.readAllStandardOutput();
  ASSERT_TRUE(out.contains("quovi: main window shown")) << program.readAllStandardError().toStdString();
  // libmpv's core runs a thread of its own once the player has been made.
  while (!thread_names(program.processId()).contains("mpv/mpv core") && !deadline.hasExpired()) QThread::msleep(20);
  EXPECT_TRUE(thread_names(program.processId()).contains("mpv/mpv core"))
      << thread_names(program.processId()).join(' ').toStdString();
  program.kill();
  program.waitForFinished(10000);
  QDir(quovi_test::catalogue_folder()).removeRecursively();
}
