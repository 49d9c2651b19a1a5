#pragma once
#include "guide/guide_set.h"
#include "guide/guide_sources.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class RemoteCopyRefresh;

// The user's guide sources and the guides read from them. Web guides are copied into the cache
// folder and refreshed once a day (or when asked), then the guides are read again on a worker
// thread when a file or the window of days changed since the last read; the GUI thread only starts
// the work and takes the result.
class GuideLibrary : public QObject {
  Q_OBJECT
 public:
  static constexpr qint64 kRefreshSeconds = 24 * 3600;
  static constexpr qint64 kMaxGuideDownloadBytes = qint64{1} << 30;
  // Downloads at once: a slow or stalled server holds up only its own guide, and a hundred guides
  // do not share the line all at once.
  static constexpr size_t kParallelDownloads = 3;

  GuideLibrary(QString sources_path, QString cache_folder, QString matches_path, QObject* parent = nullptr);
  ~GuideLibrary() override;

  const std::vector<GuideSource>& sources() const { return sources_; }
  // The user's own; answers why it cannot be added (empty when added or there already).
  QString add_source(const QString& location);
  // A guide a playlist named stays out of that playlist's refreshes from then on.
  void remove_source(const QString& location);
  // The guides the playlist of that id names now, after it was added or refreshed; answers what
  // could not be taken (empty when all were).
  QString take_playlist_guides(uint16_t playlist, const std::vector<std::string>& addresses);
  void remove_playlist_guides(uint16_t playlist);
  // What went wrong reading the list of sources at start, for the user; empty when nothing did.
  const QString& sources_problem() const { return sources_problem_; }

  // Copies the web guides that are due (all of them when `force`), then reads every guide again.
  // A refresh asked for while one runs follows it.
  void refresh(bool force);
  void cancel();
  bool busy() const { return busy_; }

  // The guide channel a channel shows, and the user's own choices, kept under the channel's key
  // (what it is known by from one run to the next). A channel without a key has no choice of its own.
  std::optional<GuideChannelRef> match(const std::string& key, std::string_view name, std::string_view tvg_id) const;
  const ManualGuideMatches& manual_matches() const { return manual_; }
  // An empty guide id: the channel shows no guide. Kept across restarts.
  void set_manual_match(const std::string& key, const std::string& guide_id);
  void clear_manual_match(const std::string& key);

  // The user's channels, gathered on the GUI thread whenever the guides are read: only their
  // programmes are kept. Unset, every channel's are.
  std::function<std::shared_ptr<const UserChannelNames>()> user_channels;
  // The user's channels changed: the guides are read again for them if that would keep other
  // programmes (nothing is downloaded that is not due).
  void channels_changed() { refresh(false); }

  // The guides as last read; never null.
  std::shared_ptr<const GuideSet> guides() const { return guides_; }

 Q_SIGNALS:
  void sources_changed();
  void matches_changed();
  // What is being done and how far: bytes of the transfer or of the files read.
  void progress(const QString& step, qint64 done, qint64 total);
  void guides_changed();
  // The end of a refresh: the problems met, for the user (empty when all went well).
  void refreshed(const QStringList& problems);

 private:
  void save_sources();
  void start_downloads();
  void read_all();
  void end_refresh();

  QString sources_path_;
  QString cache_folder_;
  QString matches_path_;
  ManualGuideMatches manual_;
  std::vector<GuideSource> sources_;
  std::vector<RefusedGuide> refused_;
  QString sources_problem_;
  bool sources_writable_ = true;
  std::shared_ptr<const GuideSet> guides_;
  std::deque<GuideSource> downloads_;
  std::vector<RemoteCopyRefresh*> running_;
  std::shared_ptr<std::atomic<bool>> reading_cancelled_;
  std::optional<GuideReadStamp> read_stamp_;  // of the guides held, when read whole
  QStringList problems_;
  QTimer daily_;
  bool busy_ = false;
  bool again_ = false;
  bool again_forced_ = false;
};
