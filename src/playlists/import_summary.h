#pragma once
#include "playlists/playlist.h"

#include <QString>

#include <vector>

// The message after a playlist was read: how many channels it gave, and how many lines were
// skipped with the first few reasons. Plain text.
QString import_summary(const QString& name, size_t channels, size_t skipped, const std::vector<SkippedLine>& examples);
