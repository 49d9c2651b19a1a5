// Whatever happens, one copy of the program at a time writes the user files: the lock is held by
// the first copy for its whole run, refused to any other, and taken over from a copy that died.
#include "catalogue/catalogue_paths.h"
#include "catalogue/user_files_lock.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QDateTime>
#include <QFile>
#include <QSysInfo>

#include <memory>

TEST(UserFilesLock, HeldByTheFirstCopyAloneForItsWholeRun) {
  const QString app_data = app_data_folder();
  auto first = std::make_unique<UserFilesLock>(app_data);
  ASSERT_TRUE(first->held());
  // Long after the start, a second copy still finds it held.
  QFile lock_file(catalogue_folder(app_data) + "user-files.lock");
  ASSERT_TRUE(lock_file.open(QIODevice::ReadWrite));
  ASSERT_TRUE(lock_file.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime));
  lock_file.close();
  {
    UserFilesLock second(app_data);
    EXPECT_FALSE(second.held());
    EXPECT_EQ(second.holder(), QCoreApplication::applicationPid());
    EXPECT_TRUE(second.refusal_text().contains(QString::number(QCoreApplication::applicationPid())));
  }
  first.reset();
  EXPECT_TRUE(UserFilesLock(app_data).held());
}

TEST(UserFilesLock, TakenOverFromACopyThatDied) {
  // A process that is gone: the lock it left names it.
  QProcess gone;
  gone.start(QStringLiteral("true"), {});
  ASSERT_TRUE(gone.waitForStarted(5000));
  const qint64 dead_pid = gone.processId();
  ASSERT_TRUE(gone.waitForFinished(5000));
  ASSERT_TRUE(quovi_test::write_all(quovi_test::catalogue_folder() + "/user-files.lock",
                                    QByteArray::number(dead_pid) + "\nquovi\n" + QSysInfo::machineHostName().toUtf8() + "\n"));
  EXPECT_TRUE(UserFilesLock(app_data_folder()).held());
}
