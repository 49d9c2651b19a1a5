#include "guide/guide_set.h"

#include "guide/xmltv_reader.h"

#include <QFileInfo>

GuideSet read_guide_set(const QStringList& paths, const GuideWindow& window, const std::atomic<bool>& cancelled,
                        const std::function<void(qint64 done, qint64 total)>& progress) {
  GuideSet set;
  set.window = window;
  qint64 total = 0, before = 0;
  for (const QString& path : paths) total += QFileInfo(path).size();
  for (const QString& path : paths) {
    if (cancelled || !QFileInfo::exists(path)) continue;
    GuideRead read = read_guide_file(path, {window, [&](uint64_t done, uint64_t) {
                                              if (progress) progress(before + static_cast<qint64>(done), total);
                                              return !cancelled.load();
                                            }});
    before += QFileInfo(path).size();
    if (read.cancelled) break;
    if (!read.problem.empty())
      set.problems << QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), QString::fromStdString(read.problem));
    set.index.add(read.guide, static_cast<uint32_t>(set.guides.size()));
    set.guides.push_back(std::move(read.guide));
  }
  return set;
}
