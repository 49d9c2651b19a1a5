#include "catalogue/user_files_lock.h"

#include "catalogue/catalogue_paths.h"

UserFilesLock::UserFilesLock(const QString& app_data) : file_(catalogue_folder(app_data) + QStringLiteral("user-files.lock")) {
  ensure_catalogue_folder(app_data);
  // Held for the whole run, so its age says nothing: only a holder that is gone makes it stale.
  file_.setStaleLockTime(0);
  held_ = file_.tryLock(0);
  if (!held_) {
    QString host, application;
    file_.getLockInfo(&holder_, &host, &application);
  }
}

QString UserFilesLock::refusal_text() const {
  const QString who = holder_ > 0 ? QStringLiteral("Another copy of Quovi Pro (process %1)").arg(holder_)
                                  : QStringLiteral("Another copy of Quovi Pro");
  return who + QStringLiteral(" is using your favourites, your channels and your playlists. This copy shows them "
                              "as they were when it started, but changes made in it are not saved. Close this "
                              "copy and use the other one.");
}
