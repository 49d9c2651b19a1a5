#include "playback/media_player.h"

#include "playback/now_playing.h"
#include "playback/player_error_text.h"
#include "playback/stream_request_options.h"
#include "playback/stream_url.h"

#include <QPointer>
#include <QTimer>
#include <QtDebug>

#include <algorithm>
#include <clocale>
#include <string_view>

namespace {
// Reply ids of the asynchronous requests whose answer matters.
enum ReplyId : uint64_t {
  kReplyIgnored = 0,
  kReplyPause = 1,
  kReplyLoadBase = uint64_t{1} << 32,  // + load serial
  // What a load that has started playing ended up with (+ load serial); asked in this order.
  kReplyVideoIsPictureBase = uint64_t{2} << 32,
  kReplyAudioOutputBase = uint64_t{3} << 32,
};

// Every property the player watches, with the id its change events carry.
enum ObservedId : uint64_t {
  kObservePause = 1,
  kObserveCoreIdle,
  kObserveIdleActive,
  kObservePausedForCache,
  kObserveCacheBuffering,
  kObserveMetadata,
  kObserveMediaTitle,
  kObserveFileSize,
  kObserveAudioCodec,
};
struct ObservedProperty {
  ObservedId id;
  const char* name;
  mpv_format format;
};
constexpr ObservedProperty kObserved[] = {
    {kObservePause, mpv_name::pause, MPV_FORMAT_FLAG},
    {kObserveCoreIdle, mpv_name::core_idle, MPV_FORMAT_FLAG},
    {kObserveIdleActive, mpv_name::idle_active, MPV_FORMAT_FLAG},
    {kObservePausedForCache, mpv_name::paused_for_cache, MPV_FORMAT_FLAG},
    {kObserveCacheBuffering, mpv_name::cache_buffering_state, MPV_FORMAT_INT64},
    {kObserveMetadata, mpv_name::metadata, MPV_FORMAT_NODE},
    {kObserveMediaTitle, mpv_name::media_title, MPV_FORMAT_STRING},
    {kObserveFileSize, mpv_name::file_size, MPV_FORMAT_INT64},
    {kObserveAudioCodec, mpv_name::audio_codec, MPV_FORMAT_STRING},
};

// Log lines kept per load; the cause of a failure is among the last few.
constexpr qsizetype kLogLinesKept = 40;

bool flag_value(const mpv_event_property& p) {
  return p.format == MPV_FORMAT_FLAG && p.data && *static_cast<int*>(p.data) != 0;
}

QString string_value(const mpv_event_property& p) {
  return p.format == MPV_FORMAT_STRING && p.data ? QString::fromUtf8(*static_cast<char**>(p.data)) : QString();
}

// The ICY title among the stream's tags; mpv keeps the key as the server spelled it.
QString icy_title(const mpv_event_property& p) {
  if (p.format != MPV_FORMAT_NODE || !p.data) return {};
  const auto* node = static_cast<const mpv_node*>(p.data);
  if (node->format != MPV_FORMAT_NODE_MAP || !node->u.list) return {};
  const mpv_node_list* map = node->u.list;
  for (int i = 0; i < map->num; ++i) {
    if (map->values[i].format == MPV_FORMAT_STRING && qstricmp(map->keys[i], "icy-title") == 0)
      return QString::fromUtf8(map->values[i].u.string);
  }
  return {};
}

bool in_mpv(PlayerPhase phase) { return phase == PlayerPhase::Opening || phase == PlayerPhase::Active; }
}  // namespace

MediaPlayerOptions MediaPlayerOptions::from_environment() {
  MediaPlayerOptions options;
  options.audio_output = qEnvironmentVariable("QUOVI_AUDIO_OUTPUT");
  options.audio_device = qEnvironmentVariable("QUOVI_AUDIO_DEVICE");
  options.video_output = qEnvironmentVariable("QUOVI_VIDEO_OUTPUT");
  return options;
}

MediaPlayer::MediaPlayer(QObject* parent) : MediaPlayer(MediaPlayerOptions::from_environment(), parent) {}

MediaPlayer::MediaPlayer(const MediaPlayerOptions& options, QObject* parent)
    : PlayerComponent(parent), reconnect_(options.reconnect), reconnect_timer_(new QTimer(this)) {
  status_ = status_text(state_);
  reconnect_timer_->setSingleShot(true);
  connect(reconnect_timer_, &QTimer::timeout, this, [this] {
    if (state_.phase == PlayerPhase::Reconnecting) startLoad(true);
  });
  initialise(options);
}

MediaPlayer::~MediaPlayer() {
  if (!core_) return;
  mpv_set_wakeup_callback(core_.get(), nullptr, nullptr);
  // The video widget frees its render context here; it must go before the core.
  Q_EMIT aboutToClose();
  core_.reset();
}

void MediaPlayer::initialise(const MediaPlayerOptions& options) {
  // mpv refuses to start under a locale whose numbers are not written the C way.
  std::setlocale(LC_NUMERIC, "C");
  MpvCore core(mpv_create());
  if (!core) {
    start_error_ = QStringLiteral("mpv_create failed");
    qWarning("libmpv: mpv_create failed");
    return;
  }
  mpv_handle* h = core.get();
  const QByteArray vo = options.video_output.isEmpty() ? QByteArray("libmpv") : options.video_output.toUtf8();
  const QByteArray volume = QByteArray::number(volume_);
  const std::pair<const char*, QByteArray> settings[] = {
      {"config", "no"},
      {"terminal", "no"},
      {"ytdl", "no"},
      {"osc", "no"},
      // mpv's other built-in scripts answer keys and profiles this player never gives it; each
      // would start a Lua interpreter of its own with the player and hold up its end.
      {"load-stats-overlay", "no"},
      {"load-osd-console", "no"},
      {"load-auto-profiles", "no"},
      {"input-default-bindings", "no"},
      {"input-vo-keyboard", "no"},
      {"gpu-hwdec-interop", "no"},
      {"idle", "yes"},
      {"keep-open", "no"},
      {"force-window", "no"},
      // Entries of a playlist fetched from the network may only lead to other network streams.
      {"load-unsafe-playlists", "no"},
      {"audio-client-name", "quovi"},
      {"title", "Quovi Pro"},
      // The demuxer picks up a file whose transfer broke off where it was before the player
      // notices. Not asked of it: retrying a connection the network refused
      // (reconnect_on_network_error), which also holds every dead channel at "Connecting..." for
      // seconds before it fails; going on after an end of stream (reconnect_at_eof), which is the
      // only way it gets a live stream back, but also replays every file from a server without
      // ranges forever; nor starting a file without ranges over (reconnect_streamed). Live
      // streams are the player's to get back.
      {"stream-lavf-o", kStreamLibraryOptions},
      // A computer without a sound device still shows the picture; sound-only streams are
      // stopped with a message of their own (handleOutputReply).
      {"audio-fallback-to-null", "yes"},
      {mpv_name::volume_max, "100"},
      {mpv_name::volume, volume},
      {mpv_name::video_unscaled, stretch_to_fit_ ? "no" : "downscale-big"},
      {mpv_name::video_output, vo},
  };
  for (const auto& [name, value] : settings) {
    const int rc = mpv_set_option_string(h, name, value.constData());
    if (rc < 0) qWarning("libmpv: option %s=%s: %s", name, value.constData(), mpv_error_string(rc));
  }
  if (!options.audio_output.isEmpty())
    mpv_set_option_string(h, mpv_name::audio_output, options.audio_output.toUtf8().constData());
  if (!options.audio_device.isEmpty())
    mpv_set_option_string(h, mpv_name::audio_device, options.audio_device.toUtf8().constData());
  for (const auto& [name, value] : options.more_options) {
    const int rc = mpv_set_option_string(h, name.constData(), value.constData());
    if (rc < 0) qWarning("libmpv: option %s=%s: %s", name.constData(), value.constData(), mpv_error_string(rc));
  }
  sound_wanted_ = options.audio_output != QLatin1String("null");

  // mpv's error code for a failed start is terse; the cause is in its log.
  mpv_request_log_messages(h, "error");
  if (const int rc = mpv_initialize(h); rc < 0) {
    start_error_ = QString::fromUtf8(mpv_error_string(rc));
    if (const QStringList causes = startLog(h); !causes.isEmpty())
      start_error_ += QStringLiteral(" (") + causes.join(QStringLiteral("; ")) + QLatin1Char(')');
    qWarning("libmpv: mpv_initialize: %s", qPrintable(start_error_));
    return;
  }
  for (const ObservedProperty& p : kObserved) mpv_observe_property(h, p.id, p.name, p.format);
  mpv_request_log_messages(h, "warn");
  core_ = std::move(core);
  mpv_set_wakeup_callback(
      h,
      [](void* self) {
        // Called on one of mpv's threads: only hand the work to the GUI thread, once.
        auto* player = static_cast<MediaPlayer*>(self);
        if (!player->wakeup_pending_.exchange(true))
          QMetaObject::invokeMethod(player, &MediaPlayer::drainEvents, Qt::QueuedConnection);
      },
      this);
}

QStringList MediaPlayer::startLog(mpv_handle* handle) {
  QStringList lines;
  for (mpv_event* event = mpv_wait_event(handle, 0); event->event_id != MPV_EVENT_NONE;
       event = mpv_wait_event(handle, 0)) {
    if (event->event_id != MPV_EVENT_LOG_MESSAGE) continue;
    const auto* msg = static_cast<const mpv_event_log_message*>(event->data);
    const QString line = QString::fromUtf8(msg->prefix) + QStringLiteral(": ") + QString::fromUtf8(msg->text).trimmed();
    if (!lines.contains(line) && lines.size() < 3) lines << line;
  }
  return lines;
}

void MediaPlayer::command(const char* const* args, uint64_t reply_id) {
  if (!core_) return;
  const int rc = mpv_command_async(core_.get(), reply_id, const_cast<const char**>(args));
  if (rc < 0) qWarning("libmpv: %s: %s", args[0], mpv_error_string(rc));
}

void MediaPlayer::loadFile(const QByteArray& url) {
  const QByteArray options = stream_file_options(http_, QString::fromUtf8(url));
  if (options.isEmpty()) {
    const char* args[] = {"loadfile", url.constData(), "replace", nullptr};
    command(args, kReplyLoadBase + load_serial_);
    return;
  }
  if (!core_) return;
  // Named arguments: the options hold for this file only, and no position of theirs depends on
  // which arguments this mpv's loadfile knows.
  mpv_node values[4];
  char* keys[4] = {const_cast<char*>("name"), const_cast<char*>("url"), const_cast<char*>("flags"),
                   const_cast<char*>("options")};
  const char* texts[4] = {"loadfile", url.constData(), "replace", options.constData()};
  for (int i = 0; i < 4; ++i) {
    values[i].format = MPV_FORMAT_STRING;
    values[i].u.string = const_cast<char*>(texts[i]);
  }
  mpv_node_list map{4, values, keys};
  mpv_node command_node;
  command_node.format = MPV_FORMAT_NODE_MAP;
  command_node.u.list = &map;
  const int rc = mpv_command_node_async(core_.get(), kReplyLoadBase + load_serial_, &command_node);
  if (rc < 0) qWarning("libmpv: loadfile: %s", mpv_error_string(rc));
}

void MediaPlayer::setFlag(const char* name, bool value) {
  if (!core_) return;
  int flag = value ? 1 : 0;
  mpv_set_property_async(core_.get(), kReplyIgnored, name, MPV_FORMAT_FLAG, &flag);
}

void MediaPlayer::requestPause(bool pause) {
  state_.pause = pause;
  if (!core_) return;
  int flag = pause ? 1 : 0;
  // Until mpv has answered, its reports of "pause" may describe the state before this request.
  if (mpv_set_property_async(core_.get(), kReplyPause, mpv_name::pause, MPV_FORMAT_FLAG, &flag) >= 0)
    pause_requests_.push_back(pause);
}

// --- members -------------------------------------------------------------------------------------

void MediaPlayer::setURL(const QString& url) {
  url_ = url;
  cancelReconnect();
  endLoad();
  if (url.isEmpty()) {
    setPhase(PlayerPhase::Empty);
    return;
  }
  // Nothing is opened yet: no transfer and no sound until play.
  setPhase(PlayerPhase::Ready);
  if (auto_start_) play();
}

void MediaPlayer::play() {
  if (!core_ || url_.isEmpty()) return;
  if (in_mpv(state_.phase) && !state_.reconnecting) {
    if (state_.pause) {
      requestPause(false);
      updateStatus();
    }
    return;
  }
  startLoad();
}

void MediaPlayer::startLoad(bool retry) {
  if (!retry) {
    cancelReconnect();
    reached_playing_ = false;
  }
  has_length_ = false;
  pending_error_.reset();
  errors_.clear();
  log_.clear();
  if (!is_network_stream_url(url_)) {
    setPhase(PlayerPhase::Stopped);
    PlayerError refused{0, refused_stream_message(url_)};
    refused.refused_url = true;
    raiseError(refused);
    return;
  }
  if (state_.pause) requestPause(false);
  const QByteArray url = url_.toUtf8();
  forgetLoad();
  awaiting_entry_ = true;
  loadFile(url);
  state_.restarting = false;
  setPhase(PlayerPhase::Opening);
}

void MediaPlayer::pause() {
  if (state_.reconnecting) {
    // Pausing a stream that is not there ends the attempts to get it back.
    stop();
    return;
  }
  if (!core_ || !in_mpv(state_.phase) || state_.pause) return;
  requestPause(true);
  updateStatus();
}

void MediaPlayer::stop() {
  if (!core_) return;
  cancelReconnect();
  endLoad();
  setPhase(url_.isEmpty() ? PlayerPhase::Empty : PlayerPhase::Stopped);
}

void MediaPlayer::endLoad() {
  stopRecording();
  if (in_mpv(state_.phase)) {
    const char* args[] = {"stop", nullptr};
    command(args);
  }
  forgetLoad();
}

void MediaPlayer::cancelReconnect() {
  reconnect_.end();
  reconnect_timer_->stop();
  state_.reconnecting = false;
}

bool MediaPlayer::reconnectAfter(int code, bool end_of_stream) {
  // A channel that never played is not tried again, nor a file that came to its end. A live
  // stream has no length, so its end is always a drop. (A length in the media itself says
  // nothing: an mp3 stream may carry the length of the file it was cut from.)
  if (!reached_playing_ || (end_of_stream && has_length_ && !state_.reconnecting)) return false;
  const auto now = ReconnectSchedule::Clock::now();
  const std::optional<ReconnectSchedule::Clock::time_point> next =
      state_.reconnecting ? reconnect_.try_failed(now) : std::optional(reconnect_.dropped(now));
  stopRecording();
  const char* args[] = {"stop", nullptr};
  command(args);
  forgetLoad();
  if (!next) {
    // The time is up: the drop ends as any failure does.
    state_.reconnecting = false;
    reached_playing_ = false;
    pending_error_ = code < 0 ? code : MPV_ERROR_LOADING_FAILED;
    setPhase(PlayerPhase::Stopped);
    return true;
  }
  state_.reconnecting = true;
  reconnect_timer_->start(std::chrono::ceil<std::chrono::milliseconds>(*next - now));
  setPhase(PlayerPhase::Reconnecting);
  return true;
}

void MediaPlayer::forgetLoad() {
  ++load_serial_;  // a reply still on its way is now stale
  awaiting_entry_ = false;
  entry_id_.reset();
  icy_title_.clear();
  media_title_.clear();
  updateNowPlaying();
}

void MediaPlayer::updateNowPlaying() {
  const QString title = now_playing_title(icy_title_, media_title_, url_);
  if (title == now_playing_) return;
  now_playing_ = title;
  // The sound mixer names the stream from mpv's title: the cleaned title, never the raw one.
  if (core_) {
    const QByteArray mixer = mixer_title_template(title).toUtf8();
    const char* value = mixer.constData();
    mpv_set_property_async(core_.get(), kReplyIgnored, mpv_name::title, MPV_FORMAT_STRING, &value);
  }
  Q_EMIT nowPlayingChanged(title);
}

void MediaPlayer::startRecording(const QString& path) {
  if (!core_) return;
  recording_ = true;
  const QByteArray file = path.toUtf8();
  const char* value = file.constData();
  mpv_set_property_async(core_.get(), kReplyIgnored, mpv_name::stream_record, MPV_FORMAT_STRING, &value);
}

void MediaPlayer::stopRecording() {
  if (!core_ || !recording_) return;
  recording_ = false;
  // mpv writes the file's end and closes it when the name is taken away.
  const char* value = "";
  mpv_set_property_async(core_.get(), kReplyIgnored, mpv_name::stream_record, MPV_FORMAT_STRING, &value);
}

void MediaPlayer::setVolume(int volume) {
  volume_ = std::clamp(volume, 0, 100);
  if (!core_) return;
  double value = volume_;
  mpv_set_property_async(core_.get(), kReplyIgnored, mpv_name::volume, MPV_FORMAT_DOUBLE, &value);
}

void MediaPlayer::setMute(bool mute) {
  mute_ = mute;
  setFlag(mpv_name::mute, mute);
}

void MediaPlayer::setStretchToFit(bool on) {
  stretch_to_fit_ = on;
  if (!core_) return;
  const char* value = on ? "no" : "downscale-big";
  mpv_set_property_async(core_.get(), kReplyIgnored, mpv_name::video_unscaled, MPV_FORMAT_STRING, &value);
}

void MediaPlayer::setFullScreen(bool on) {
  if (full_screen_ == on) return;
  full_screen_ = on;
  Q_EMIT fullScreenChanged(on);
}

PlayerError MediaPlayer::error(int index) const {
  if (index < 0 || index >= errors_.size()) return {};
  return errors_[index];
}

void MediaPlayer::videoOutputAttached() {
  // Video that found no render context was dropped by mpv; choosing the track again brings it back.
  if (!core_ || !in_mpv(state_.phase)) return;
  mpv_set_property_async(core_.get(), kReplyIgnored, mpv_name::video_track, MPV_FORMAT_STRING,
                         const_cast<char**>(&kAutoTrack));
}

// --- events --------------------------------------------------------------------------------------

void MediaPlayer::drainEvents() {
  wakeup_pending_ = false;
  QPointer<MediaPlayer> alive(this);
  // Handlers may run nested event loops (a message box) that drain further; each event is still
  // taken exactly once and in order.
  while (alive && core_) {
    const mpv_event* event = mpv_wait_event(core_.get(), 0);
    if (!event || event->event_id == MPV_EVENT_NONE) break;
    handleEvent(*event);
  }
  // mpv hands out its log after the events, so a failure is described once the queue is empty.
  if (alive && pending_error_) {
    const int code = *pending_error_;
    pending_error_.reset();
    raiseError(player_failure(code, log_));
  }
}

void MediaPlayer::handleEvent(const mpv_event& event) {
  switch (event.event_id) {
    case MPV_EVENT_LOG_MESSAGE: {
      const auto* msg = static_cast<const mpv_event_log_message*>(event.data);
      const QString text = QString::fromUtf8(msg->text).trimmed();
      // mpv gives up a recording it cannot write with an error from its recorder, and plays on.
      const bool recording_failed =
          recording_ && msg->log_level <= MPV_LOG_LEVEL_ERROR &&
          (std::string_view(msg->prefix) == "recorder" || text.contains(QLatin1String("recording")));
      log_.append(QString::fromUtf8(msg->prefix) + QStringLiteral(": ") + text);
      if (log_.size() > kLogLinesKept) log_.removeFirst();
      if (recording_failed) {
        stopRecording();
        // Last: whoever hears this may show a message, which drains further events.
        Q_EMIT recordingFailed(text);
      }
      break;
    }
    case MPV_EVENT_PROPERTY_CHANGE:
      handleProperty(event.reply_userdata, *static_cast<const mpv_event_property*>(event.data));
      break;
    case MPV_EVENT_SET_PROPERTY_REPLY:
      if (event.reply_userdata == kReplyPause && !pause_requests_.empty()) pause_requests_.pop_front();
      break;
    case MPV_EVENT_COMMAND_REPLY: {
      if (!awaiting_entry_ || event.reply_userdata != kReplyLoadBase + load_serial_) break;
      awaiting_entry_ = false;
      if (event.error < 0) {
        // loadfile itself was refused: no file will start.
        pending_error_ = event.error;
        setPhase(PlayerPhase::Stopped);
        break;
      }
      // -1: this mpv does not name the entry; the next file it starts is taken as ours.
      entry_id_ = -1;
      const mpv_node& result = static_cast<const mpv_event_command*>(event.data)->result;
      if (result.format == MPV_FORMAT_NODE_MAP && result.u.list) {
        for (int i = 0; i < result.u.list->num; ++i) {
          if (std::string_view(result.u.list->keys[i]) == "playlist_entry_id" &&
              result.u.list->values[i].format == MPV_FORMAT_INT64)
            entry_id_ = result.u.list->values[i].u.int64;
        }
      }
      break;
    }
    case MPV_EVENT_START_FILE: {
      const int64_t id = static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id;
      started_id_ = id;
      if (entry_id_ == -1 && in_mpv(state_.phase)) entry_id_ = id;
      break;
    }
    case MPV_EVENT_FILE_LOADED:
      if (state_.phase == PlayerPhase::Opening && started_id_ && isCurrent(*started_id_)) {
        state_.restarting = true;
        setPhase(PlayerPhase::Active);
      }
      break;
    case MPV_EVENT_PLAYBACK_RESTART:
      if (state_.phase == PlayerPhase::Active && state_.restarting && started_id_ && isCurrent(*started_id_)) {
        state_.restarting = false;
        askForOutputs();
        updateStatus();
      }
      break;
    case MPV_EVENT_GET_PROPERTY_REPLY:
      handleOutputReply(event);
      break;
    case MPV_EVENT_END_FILE:
      handleEndFile(*static_cast<const mpv_event_end_file*>(event.data));
      break;
    case MPV_EVENT_SHUTDOWN:
      // Nothing here asks mpv to quit, but should it go, the player must stop using it.
      setPhase(url_.isEmpty() ? PlayerPhase::Empty : PlayerPhase::Stopped);
      break;
    default:
      break;
  }
}

void MediaPlayer::handleProperty(uint64_t id, const mpv_event_property& property) {
  switch (id) {
    case kObservePause:
      observed_pause_ = flag_value(property);
      // While requests of ours are on their way, mpv's answer may be an older state.
      if (!pause_requests_.empty()) return;
      state_.pause = observed_pause_;
      break;
    case kObserveCoreIdle:
      state_.core_idle = flag_value(property);
      break;
    case kObservePausedForCache:
      state_.paused_for_cache = flag_value(property);
      break;
    case kObserveCacheBuffering:
      buffering_percent_ =
          property.format == MPV_FORMAT_INT64 && property.data ? int(*static_cast<int64_t*>(property.data)) : 0;
      return;
    case kObserveAudioCodec:
      audio_codec_ = string_value(property);
      return;
    case kObserveFileSize:
      // Ignored until our file has started: the size of the one before may still come in.
      if (started_id_ && isCurrent(*started_id_))
        has_length_ = property.format == MPV_FORMAT_INT64 && property.data && *static_cast<int64_t*>(property.data) > 0;
      return;
    case kObserveMetadata:
    case kObserveMediaTitle:
      // Tags of a file that was replaced a moment ago are not the current stream's.
      if (!in_mpv(state_.phase) || !started_id_ || !isCurrent(*started_id_)) return;
      if (id == kObserveMetadata)
        icy_title_ = icy_title(property);
      else
        media_title_ = string_value(property);
      updateNowPlaying();
      return;
    case kObserveIdleActive:
      // mpv went idle without an end of file that concerned us, e.g. a playlist with nothing
      // playable in it: the load is over.
      if (flag_value(property) && in_mpv(state_.phase) && !awaiting_entry_ && started_id_ &&
          isCurrent(*started_id_)) {
        if (state_.reconnecting && reconnectAfter(MPV_ERROR_NOTHING_TO_PLAY, false)) return;
        if (state_.phase == PlayerPhase::Opening) pending_error_ = MPV_ERROR_NOTHING_TO_PLAY;
        setPhase(PlayerPhase::Stopped);
      }
      return;
    default:
      return;
  }
  updateStatus();
}

void MediaPlayer::handleEndFile(const mpv_event_end_file& end) {
  // The end of a file that a newer load replaced, or that the user stopped, says nothing about
  // the current one.
  if (!in_mpv(state_.phase) || !isCurrent(end.playlist_entry_id)) return;
  const int reason = end.reason;
  if (reason == MPV_END_FILE_REASON_REDIRECT) {
    // A playlist: mpv goes on with the entries it found in it.
    if (end.playlist_insert_num_entries > 0) {
      entry_id_ = end.playlist_insert_id;
      return;
    }
    pending_error_ = MPV_ERROR_NOTHING_TO_PLAY;
  } else if (reason == MPV_END_FILE_REASON_ERROR) {
    if (reconnectAfter(end.error, false)) return;
    pending_error_ = end.error;
  } else if (reason != MPV_END_FILE_REASON_EOF) {
    return;
  } else if (reconnectAfter(0, true)) {
    return;
  }
  // Stop here rather than let mpv go on to a playlist's next entry behind the window's back.
  stopRecording();
  const char* args[] = {"stop", nullptr};
  command(args);
  setPhase(PlayerPhase::Stopped);
}

void MediaPlayer::raiseError(const PlayerError& error) {
  errors_.append(error);
  Q_EMIT Error();
}

void MediaPlayer::askForOutputs() {
  // Where no sound device opens, mpv plays the sound into nothing (audio-fallback-to-null) so the
  // picture still shows; whether that happened is only known once the stream plays. The answers
  // come in the order asked.
  if (!core_ || !sound_wanted_) return;
  mpv_get_property_async(core_.get(), kReplyVideoIsPictureBase + load_serial_, mpv_name::video_is_picture,
                         MPV_FORMAT_FLAG);
  mpv_get_property_async(core_.get(), kReplyAudioOutputBase + load_serial_, mpv_name::current_audio_output,
                         MPV_FORMAT_STRING);
}

void MediaPlayer::handleOutputReply(const mpv_event& event) {
  const auto* property = static_cast<const mpv_event_property*>(event.data);
  if (event.reply_userdata == kReplyVideoIsPictureBase + load_serial_) {
    // Unavailable: the stream has no video track (or mpv dropped it).
    moving_picture_ = event.error >= 0 && property && property->format == MPV_FORMAT_FLAG && property->data &&
                      *static_cast<int*>(property->data) == 0;
    return;
  }
  if (event.reply_userdata != kReplyAudioOutputBase + load_serial_ || state_.phase != PlayerPhase::Active) return;
  const bool no_sound_device = event.error >= 0 && property && property->format == MPV_FORMAT_STRING &&
                               property->data && std::string_view(*static_cast<char**>(property->data)) == "null";
  if (!no_sound_device || moving_picture_) return;
  // Nothing to see and nowhere to hear it: this computer's lack, not the channel's.
  endLoad();
  setPhase(PlayerPhase::Stopped);
  PlayerError error{MPV_ERROR_AO_INIT_FAILED, no_sound_device_message()};
  error.local_failure = true;
  raiseError(error);
}

void MediaPlayer::setPhase(PlayerPhase phase) {
  state_.phase = phase;
  if (!in_mpv(phase)) {
    state_.restarting = false;
    if (phase != PlayerPhase::Reconnecting) state_.reconnecting = false;
    icy_title_.clear();
    media_title_.clear();
    updateNowPlaying();
  }
  updateStatus();
}

void MediaPlayer::updateStatus() {
  const QString text = status_text(state_);
  if (text == QLatin1String(kPlayerPlaying)) {
    reached_playing_ = true;
    // The stream is back: the attempts are over, and nothing of them is reported.
    if (state_.reconnecting) cancelReconnect();
  }
  if (text == status_) return;
  status_ = text;
  Q_EMIT StatusChange();
}
