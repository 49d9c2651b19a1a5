#pragma once
#include <QLockFile>
#include <QString>

// Held by the one copy of the program that reads and writes the user's files (favourites, the
// user's channels, the playlists) for the whole run. A copy that cannot take it, because another
// copy holds it, reads the files but never writes them, so no copy overwrites what another
// changed. A lock left by a copy that died is taken over.
class UserFilesLock {
 public:
  // Tries once, without waiting; `app_data` is the data folder.
  explicit UserFilesLock(const QString& app_data);
  UserFilesLock(const UserFilesLock&) = delete;
  UserFilesLock& operator=(const UserFilesLock&) = delete;

  bool held() const { return held_; }
  // The process that holds it when this copy does not; 0 when unknown.
  qint64 holder() const { return holder_; }
  // What the user is told when this copy does not hold it.
  QString refusal_text() const;

 private:
  QLockFile file_;
  bool held_ = false;
  qint64 holder_ = 0;
};
