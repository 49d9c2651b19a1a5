#include "guide/guide_set.h"

#include "guide/xmltv_reader.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>

GuideSet read_guide_set(const QStringList& paths, const GuideWindow& window, const GuideWantedChannels* wanted,
                        const std::atomic<bool>& cancelled,
                        const std::function<void(qint64 done, qint64 total)>& progress) {
  GuideSet set;
  set.window = window;
  qint64 total = 0, before = 0;
  size_t kept = 0;
  for (const QString& path : paths) total += QFileInfo(path).size();
  for (const QString& path : paths) {
    if (cancelled || !QFileInfo::exists(path)) continue;
    const auto told = [&](uint64_t done, uint64_t) {
      if (progress) progress(before + static_cast<qint64>(done), total);
      return !cancelled.load();
    };
    GuideReadOptions options(window, told);
    options.wanted = wanted;
    options.memory_budget = kGuidesMemoryBudget - std::min(kept, kGuidesMemoryBudget);
    GuideRead read = read_guide_file(path, options);
    kept += read.guide.memory_bytes();
    before += QFileInfo(path).size();
    if (read.cancelled) break;
    if (!read.problem.empty())
      set.problems << QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), QString::fromStdString(read.problem));
    set.index.add(read.guide, static_cast<uint32_t>(set.guides.size()));
    set.guides.push_back(std::move(read.guide));
  }
  return set;
}

GuideReadStamp guide_read_stamp(const QStringList& paths, const GuideWindow& window, uint64_t channels) {
  GuideReadStamp stamp;
  stamp.window = window;
  stamp.channels = channels;
  for (const QString& path : paths) {
    const QFileInfo info(path);
    if (!info.exists()) {
      stamp.files.push_back({path});
      continue;
    }
    stamp.files.push_back({path, true, info.size(), info.lastModified().toMSecsSinceEpoch(),
                           info.fileTime(QFileDevice::FileMetadataChangeTime).toMSecsSinceEpoch()});
  }
  return stamp;
}
