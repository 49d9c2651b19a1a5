#pragma once
#include "guide/guide.h"
#include "guide/guide_matching.h"
#include "guide/guide_time.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
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

// Reads the guide files in order (missing ones are passed over); runs on a worker thread.
// `progress` hears the files' bytes read of their total size.
GuideSet read_guide_set(const QStringList& paths, const GuideWindow& window, const std::atomic<bool>& cancelled,
                        const std::function<void(qint64 done, qint64 total)>& progress = {});
