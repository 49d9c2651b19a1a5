#pragma once
#include <QString>

// Where a file that cannot be read is moved so that nothing in it is lost: <path>.bad, or
// <path>.bad.2, .bad.3 and so on when that name is taken. The user files and the settings file share
// this naming, so a user finds every set-aside copy the same way.
QString free_aside_path(const QString& path);
