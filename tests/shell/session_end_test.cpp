// The session ends without a close of the main window: a termination signal to the running
// program, or the session manager's request to commit data. The user files are written as at a
// close, once.
#include "catalogue/catalogue_paths.h"
#include "catalogue/user_files.h"
#include "shell/catalogue_load.h"
#include "shell/session_end.h"
#include "test_env.h"
#include "widgets/messages.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QWidget>
#include <gtest/gtest.h>

#include <csignal>

namespace {
const QDateTime kNow(QDate(2013, 2, 5), QTime(12, 0), Qt::LocalTime);

QString favorites_file() { return quovi_test::catalogue_folder() + "/favorites.dat"; }
QString userdef_file() { return quovi_test::catalogue_folder() + "/userdef.dat"; }

// User files as another editor left them (LF line ends); the program writes CR LF, so a write shows.
void put_catalogue_and_user_files() {
  ASSERT_TRUE(QFile::copy(quovi_test::fixture("catalogue/sample-channels.dat"),
                          quovi_test::catalogue_folder() + "/channels.dat"));
  ASSERT_TRUE(quovi_test::write_all(favorites_file(), "100001\n"));
  ASSERT_TRUE(quovi_test::write_all(userdef_file(), "100001|1|0|Mine|http://a/|128|1||33|12|\n"));
}

const QByteArray kWrittenFavorites = "100001\r\n";

// Whether the process has its own handler for the signal (Linux: the caught-signals mask).
bool catches(qint64 pid, int signal) {
  QFile status(QStringLiteral("/proc/%1/status").arg(pid));
  if (!status.open(QIODevice::ReadOnly)) return false;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("SigCgt:")) return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
  return false;
}
}  // namespace

TEST(SessionEnd, TerminationSignalToTheProgramWritesTheUserFilesAndEndsIt) {
  const struct {
    int signal;
    int wait_ms;  // after the handler is in place: during the catalogue load, or with the window up
  } cases[] = {{SIGINT, 0}, {SIGHUP, 0}, {SIGTERM, 1500}};
  for (const auto& [signal, wait_ms] : cases) {
    SCOPED_TRACE(strsignal(signal));
    put_catalogue_and_user_files();
    // The user channel file as a close in this process writes it, from the same files.
    std::string written_userdef;
    {
      AppState state;
      ASSERT_TRUE(load_catalogue(state, nullptr, {}, kNow).has_value());
      written_userdef = userdef_file_text(state.catalogue);
    }
    ASSERT_TRUE(QByteArray::fromStdString(written_userdef).endsWith("|\r\n"));
    QProcess program;
    QProcessEnvironment env = quovi_test::program_environment();
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(QUOVI_PROGRAM), {});
    ASSERT_TRUE(program.waitForStarted(10000));

    // The handler is in place before the catalogue loads; the signal then waits for the event loop.
    QDeadlineTimer deadline(20000);
    while (!catches(program.processId(), signal) && !deadline.hasExpired()) QThread::msleep(20);
    ASSERT_TRUE(catches(program.processId(), signal)) << program.readAllStandardError().toStdString();
    // Given time, the window is up and (the sample catalogue being outdated) mostly asking the
    // download question, so the signal comes into that message's own loop.
    QThread::msleep(static_cast<unsigned long>(wait_ms));
    ::kill(static_cast<pid_t>(program.processId()), signal);

    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << "ended by the signal itself";
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(quovi_test::read_all(favorites_file()), kWrittenFavorites);
    // Whole: the program ends at once after the write, and nothing of it may be missing.
    EXPECT_EQ(quovi_test::read_all(userdef_file()).toStdString(), written_userdef);
    QDir(quovi_test::catalogue_folder()).removeRecursively();
  }
}

class SessionCommit : public testing::Test {
 protected:
  void SetUp() override {
    put_catalogue_and_user_files();
    ASSERT_TRUE(load_catalogue(state_, nullptr, {}, kNow).has_value());
  }
  AppState state_;
  QWidget window_;
  RecordingMessageSink sink_;
  SessionEnd session_{state_, &window_};
};

TEST_F(SessionCommit, WritesAsAtACloseAndTheCloseThatEndsTheSessionDoesNotWriteAgain) {
  EXPECT_TRUE(session_.commit_data(true));
  EXPECT_EQ(quovi_test::read_all(favorites_file()), kWrittenFavorites);
  EXPECT_TRUE(quovi_test::read_all(userdef_file()).endsWith("|\r\n"));

  ASSERT_TRUE(quovi_test::write_all(favorites_file(), "left alone"));
  EXPECT_TRUE(session_.close_query());
  EXPECT_EQ(quovi_test::read_all(favorites_file()), "left alone");
  EXPECT_TRUE(sink_.shown.empty());

  // The session went on (its end was cancelled elsewhere) and the user changed something.
  Channel& channel = state_.catalogue.channels.front();
  ASSERT_EQ(channel.favorited, 0);
  channel.favorited = 1;
  state_.catalogue.favorites.push_back(channel.id);
  EXPECT_TRUE(session_.close_query());
  const QByteArray written = quovi_test::read_all(favorites_file());
  EXPECT_EQ(written, QByteArray::fromStdString(favorites_file_text(state_.catalogue)));
  EXPECT_TRUE(written.contains(QByteArray::number(channel.id) + "\r\n")) << written.toStdString();
}

TEST_F(SessionCommit, FailedWriteAsksAndNoCancelsTheSessionsEnd) {
  QFile::remove(favorites_file());
  QDir().mkpath(favorites_file());  // a folder where the file belongs: it cannot be written
  sink_.answers = {false};
  EXPECT_FALSE(session_.commit_data(true));
  ASSERT_EQ(sink_.shown.size(), 1u);
  EXPECT_EQ(sink_.shown[0].kind, MessageKind::Question);

  // Without leave to ask, nothing is shown and the session's end goes on; a later close tries again.
  sink_.shown.clear();
  EXPECT_TRUE(session_.commit_data(false));
  EXPECT_TRUE(sink_.shown.empty());
  QDir().rmdir(favorites_file());
  EXPECT_TRUE(session_.close_query());
  EXPECT_EQ(quovi_test::read_all(favorites_file()), kWrittenFavorites);
}
