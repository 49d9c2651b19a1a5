#pragma once
#include "guide/guide.h"
#include "guide/guide_matching.h"
#include "guide/guide_time.h"
#include "guide/guide_wanted_channels.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

// Every guide of the user's read, with the index that matches channels against them.
struct GuideSet {
  std::vector<Guide> guides;
  GuideIndex index;
  QStringList problems;  // one line per guide that could not be read whole
  GuideWindow window;

  const GuideChannel* channel(GuideChannelRef ref) const { return &guides[ref.guide].channels[ref.channel]; }
  const Guide& guide_of(GuideChannelRef ref) const { return guides[ref.guide]; }
};

// Reads the guide files in order (missing ones are passed over), keeping the programmes of the
// `wanted` channels (all when null), all the guides together within kGuidesMemoryBudget; runs on a
// worker thread. `progress` hears the files' bytes read of their total size.
GuideSet read_guide_set(const QStringList& paths, const GuideWindow& window, const GuideWantedChannels* wanted,
                        const std::atomic<bool>& cancelled,
                        const std::function<void(qint64 done, qint64 total)>& progress = {});

// What a read of guide files depends on: the files as they are on the disk and the window of days.
// A read with the same stamp as the last would give the same guides, so it can be passed over:
// between midnights a guide is only read again when its file changed.
struct GuideReadStamp {
  struct File {
    QString path;
    bool exists = false;
    qint64 size = 0;
    qint64 modified_ms = 0;  // content written
    qint64 changed_ms = 0;   // file replaced (a new copy renamed into place) or its content written
    bool operator==(const File&) const = default;
  };
  std::vector<File> files;
  GuideWindow window;
  uint64_t channels = 0;  // the fingerprint of the user's channels the guides were read for
  bool operator==(const GuideReadStamp&) const = default;
};
GuideReadStamp guide_read_stamp(const QStringList& paths, const GuideWindow& window, uint64_t channels = 0);
