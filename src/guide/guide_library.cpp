#include "guide/guide_library.h"

#include "services/remote_copy.h"
#include "services/worker_thread.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QCoreApplication>
#include <QFutureWatcher>
#include <QThreadPool>

GuideLibrary::GuideLibrary(QString sources_path, QString cache_folder, QString matches_path, QObject* parent)
    : QObject(parent),
      sources_path_(std::move(sources_path)),
      cache_folder_(std::move(cache_folder)),
      matches_path_(std::move(matches_path)),
      manual_(load_guide_matches(matches_path_)),
      guides_(std::make_shared<GuideSet>()) {
  GuideSourcesRead read = read_guide_sources(sources_path_);
  sources_ = std::move(read.list.sources);
  refused_ = std::move(read.list.refused);
  sources_problem_ = std::move(read.problem);
  sources_writable_ = read.writable;
  // The window moves at midnight and copies fall due: look once an hour.
  daily_.setInterval(3600 * 1000);
  connect(&daily_, &QTimer::timeout, this, [this] { refresh(false); });
  daily_.start();
}

GuideLibrary::~GuideLibrary() {
  if (reading_cancelled_) *reading_cancelled_ = true;
}

void GuideLibrary::save_sources() {
  // A list that could not be moved aside at start is left as the user has it.
  if (sources_writable_) save_guide_sources(sources_path_, {sources_, refused_});
  Q_EMIT sources_changed();
}

QString GuideLibrary::add_source(const QString& location) {
  const auto before = sources_.size();
  if (QString problem = add_guide_source(sources_, location); !problem.isEmpty()) return problem;
  if (sources_.size() == before) return {};
  save_sources();
  refresh(false);
  return {};
}

void GuideLibrary::remove_source(const QString& location) {
  if (!remove_guide_source(sources_, refused_, location)) return;
  save_sources();
  refresh(false);
}

QString GuideLibrary::take_playlist_guides(uint16_t playlist, const std::vector<std::string>& addresses) {
  const PlaylistGuidesTaken taken = ::take_playlist_guides(sources_, refused_, playlist, addresses);
  if (taken.changed) {
    save_sources();
    refresh(false);
  }
  if (taken.left_out == 0) return {};
  return tr("%n of the guides the playlist names could not be added: the list of guides holds at most %1, each "
            "address at most %2 bytes long.", nullptr, taken.left_out)
      .arg(kMaxGuideSources)
      .arg(kMaxGuideLocationBytes);
}

void GuideLibrary::remove_playlist_guides(uint16_t playlist) {
  if (!::remove_playlist_guides(sources_, refused_, playlist)) return;
  save_sources();
  refresh(false);
}

void GuideLibrary::refresh(bool force) {
  if (busy_) {
    again_ = true;
    again_forced_ = again_forced_ || force;
    return;
  }
  busy_ = true;
  problems_.clear();
  downloads_.clear();
  const QDateTime now = QDateTime::currentDateTimeUtc();
  for (const GuideSource& source : sources_) {
    if (!is_web_guide(source.location)) continue;
    const QString copy = guide_copy_path(source, cache_folder_);
    if (force || !QFileInfo::exists(copy) || remote_copy_due(read_remote_copy_info(copy), now, kRefreshSeconds))
      downloads_.push_back(source);
  }
  QDir().mkpath(cache_folder_);
  // No download runs now: the copies of guides removed since the last refresh can go.
  QThreadPool::globalInstance()->start(
      [sources = sources_, folder = cache_folder_] { remove_stray_guide_copies(sources, folder); });
  start_downloads();
}

void GuideLibrary::start_downloads() {
  while (running_.size() < kParallelDownloads && !downloads_.empty()) {
    const GuideSource source = downloads_.front();
    downloads_.pop_front();
    auto* download = new RemoteCopyRefresh(source.location, guide_copy_path(source, cache_folder_), kMaxGuideDownloadBytes, this);
    running_.push_back(download);
    connect(download, &RemoteCopyRefresh::progress, this, [this, source](qint64 received, qint64 total) {
      Q_EMIT progress(tr("Downloading %1").arg(source.location), received, total);
    });
    connect(download, &RemoteCopyRefresh::finished, this, [this, download, source](const RemoteCopyResult& result) {
      download->deleteLater();
      std::erase(running_, download);
      if (result.outcome == RemoteCopyResult::Outcome::Failed)
        problems_ << QStringLiteral("%1: %2").arg(source.location, result.error);
      if (result.outcome == RemoteCopyResult::Outcome::Cancelled) downloads_.clear();
      start_downloads();
    });
    download->start();
  }
  if (running_.empty()) read_all();
}

namespace {
// A read of the guides, or only its stamp when the guides held were read for the same one.
struct GuideReadOutcome {
  GuideReadStamp stamp;
  std::optional<GuideSet> guides;
};
}  // namespace

void GuideLibrary::read_all() {
  QStringList paths;
  for (const GuideSource& source : sources_) paths << guide_copy_path(source, cache_folder_);
  const GuideWindow window = current_guide_window();
  std::shared_ptr<const UserChannelNames> channels = user_channels ? user_channels() : nullptr;
  std::vector<std::string> chosen_ids;
  for (const auto& [channel_id, guide_id] : manual_) chosen_ids.push_back(guide_id);
  auto cancelled = std::make_shared<std::atomic<bool>>(false);
  reading_cancelled_ = cancelled;
  QPointer<GuideLibrary> self(this);
  auto future = run_on_worker([paths, window, cancelled, self, channels, chosen_ids, last_stamp = read_stamp_] {
    // The hourly look and a copy answered "not modified" leave the files as they were: a guide of
    // hundreds of megabytes is not parsed again for the same programmes and the same channels. The
    // channels are told apart here, off the GUI thread: a million names take a while to hash.
    GuideReadOutcome outcome;
    uint64_t fingerprint = channels ? channels->fingerprint() : 0;
    for (const std::string& id : chosen_ids) fingerprint = fingerprint * 31 + std::hash<std::string>{}(id);
    outcome.stamp = guide_read_stamp(paths, window, fingerprint);
    if (last_stamp == outcome.stamp) return outcome;
    std::optional<GuideWantedChannels> wanted;
    if (channels) wanted = wanted_channels_of(*channels, chosen_ids);
    qint64 last = -1;
    outcome.guides = read_guide_set(paths, window, wanted ? &*wanted : nullptr, *cancelled, [&last, self](qint64 done, qint64 total) {
      // Told at most every few megabytes, through the GUI thread's queue.
      if (last >= 0 && done - last < (qint64{8} << 20) && done < total) return;
      last = done;
      QMetaObject::invokeMethod(
          QCoreApplication::instance(),
          [self, done, total] {
            if (self) Q_EMIT self->progress(GuideLibrary::tr("Reading the guides"), done, total);
          },
          Qt::QueuedConnection);
    });
    return outcome;
  });
  auto* watcher = new QFutureWatcher<GuideReadOutcome>(this);
  connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, cancelled] {
    watcher->deleteLater();
    if (!*cancelled) {
      GuideReadOutcome outcome = watcher->future().takeResult();
      read_stamp_ = outcome.stamp;
      if (outcome.guides) {
        auto previous = std::move(guides_);
        guides_ = std::make_shared<GuideSet>(std::move(*outcome.guides));
        // The guides read before can be a few hundred megabytes: freed away from the GUI thread.
        free_on_worker(std::move(previous));
        Q_EMIT guides_changed();
      }
      problems_ << guides_->problems;
    }
    end_refresh();
  });
  watcher->setFuture(future);
}

void GuideLibrary::end_refresh() {
  busy_ = false;
  Q_EMIT refreshed(problems_);
  if (again_) {
    const bool forced = again_forced_;
    again_ = again_forced_ = false;
    refresh(forced);
  }
}

void GuideLibrary::cancel() {
  downloads_.clear();
  for (RemoteCopyRefresh* download : std::vector(running_)) download->cancel();
  if (reading_cancelled_) *reading_cancelled_ = true;
  again_ = again_forced_ = false;
}

std::optional<GuideChannelRef> GuideLibrary::match(const std::string& key, std::string_view name, std::string_view tvg_id) const {
  const auto manual = key.empty() ? manual_.end() : manual_.find(key);
  return match_channel(guides_->index, {tvg_id, name, manual == manual_.end() ? nullptr : &manual->second});
}

void GuideLibrary::set_manual_match(const std::string& key, const std::string& guide_id) {
  if (key.empty()) return;
  manual_[key] = guide_id;
  save_guide_matches(matches_path_, manual_);
  Q_EMIT matches_changed();
  // The programmes of a guide channel nobody had were not kept.
  channels_changed();
}

void GuideLibrary::clear_manual_match(const std::string& key) {
  if (manual_.erase(key) == 0) return;
  save_guide_matches(matches_path_, manual_);
  Q_EMIT matches_changed();
}
