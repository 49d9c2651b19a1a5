#pragma once
#include "playback/media_player_options.h"
#include "playback/mpv_handles.h"
#include "playback/player_component.h"
#include "playback/player_status.h"
#include "playback/reconnect_schedule.h"

#include <QList>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <deque>
#include <optional>

// The media player component over libmpv. Lives on the GUI thread and raises its events there;
// commands go to mpv asynchronously so a slow network never holds up the window.
class QTimer;

class MediaPlayer : public PlayerComponent {
  Q_OBJECT
 public:
  explicit MediaPlayer(QObject* parent = nullptr);
  MediaPlayer(const MediaPlayerOptions& options, QObject* parent = nullptr);
  ~MediaPlayer() override;

  // False when libmpv could not be started; every member then does nothing.
  bool isValid() const { return core_ != nullptr; }
  // Why libmpv could not be started: mpv's error text, with the causes its log gave in brackets
  // ("invalid parameter (encode: format not found)"); empty while the player is valid.
  QString startError() const { return start_error_; }

  QString URL() const override { return url_; }
  void setURL(const QString& url) override;
  void setHttpOptions(const StreamHttpOptions& options) override { http_ = options; }
  QString status() const override { return status_; }

  void play() override;
  void pause() override;
  void stop() override;

  int volume() const override { return volume_; }
  void setVolume(int volume) override;
  bool mute() const override { return mute_; }
  void setMute(bool mute) override;
  bool autoStart() const override { return auto_start_; }
  void setAutoStart(bool on) override { auto_start_ = on; }

  QString uiMode() const override { return ui_mode_; }
  void setUiMode(const QString& mode) override { ui_mode_ = mode; }
  bool stretchToFit() const override { return stretch_to_fit_; }
  void setStretchToFit(bool on) override;
  bool fullScreen() const override { return full_screen_; }
  void setFullScreen(bool on) override;

  bool hasCurrentMedia() const override { return !url_.isEmpty(); }
  QString currentMedia() const override { return url_; }

  int errorCount() const override { return static_cast<int>(errors_.size()); }
  PlayerError error(int index) const override;
  void clearErrors() override { errors_.clear(); }

  QString nowPlaying() const override { return now_playing_; }
  void startRecording(const QString& path) override;
  void stopRecording() override;
  QString audioCodec() const override { return audio_codec_; }

  // mpv's fill level of the network cache in percent while it waits for data.
  int bufferingPercent() const { return buffering_percent_; }

  // For the video widget, which owns the render context.
  mpv_handle* nativeHandle() const { return core_.get(); }
  // The video widget calls this after it has made a render context, so video that started
  // without one (the widget was hidden, or went full screen) is picked up again.
  void videoOutputAttached();

 Q_SIGNALS:
  // Raised before the mpv core goes away: whoever renders for it must free the render context.
  void aboutToClose();

 private:
  void initialise(const MediaPlayerOptions& options);
  // The error lines mpv logged while it tried to start (at most a few), from a core that failed.
  static QStringList startLog(mpv_handle* handle);
  void drainEvents();
  void handleEvent(const mpv_event& event);
  void handleProperty(uint64_t id, const mpv_event_property& property);
  void handleEndFile(const mpv_event_end_file& end);
  // retry: a try to get a dropped stream back, which keeps the attempts going.
  void startLoad(bool retry = false);
  // The current stream ended or failed with mpv's error code (0 at a plain end of stream): answers
  // true when it will be tried again, or the attempts gave up and the failure is pending.
  bool reconnectAfter(int code, bool end_of_stream);
  void cancelReconnect();
  // Stops what mpv plays of ours, if anything, and forgets the load.
  void endLoad();
  // Marks the current load's replies and events stale.
  void forgetLoad();
  bool isCurrent(int64_t entry_id) const { return entry_id_ && *entry_id_ == entry_id; }
  void raiseError(const PlayerError& error);
  void askForOutputs();
  void handleOutputReply(const mpv_event& event);
  void updateNowPlaying();
  void setPhase(PlayerPhase phase);
  void updateStatus();
  void command(const char* const* args, uint64_t reply_id = 0);
  // loadfile of the address, with the HTTP options of http_ for it alone.
  void loadFile(const QByteArray& url);
  void setFlag(const char* name, bool value);
  void requestPause(bool pause);

  static inline const char* kAutoTrack = "auto";

  MpvCore core_;
  std::atomic<bool> wakeup_pending_{false};

  QString url_;
  StreamHttpOptions http_;  // for the loads of url_ only
  QString status_;
  PlayerState state_;
  std::deque<bool> pause_requests_;  // pause values asked of mpv and not yet answered
  bool observed_pause_ = false;
  // mpv tells its files apart by playlist entry; events of any other entry than the current
  // load's (a file replaced or stopped a moment ago) are left alone.
  uint64_t load_serial_ = 0;            // reply id of the newest loadfile
  bool awaiting_entry_ = false;         // loadfile sent, its entry not known yet
  std::optional<int64_t> entry_id_;     // the current load's entry
  std::optional<int64_t> started_id_;   // the entry of the last START_FILE
  std::optional<int> pending_error_;  // mpv error code of a failure not raised yet
  QStringList log_;          // warnings and errors since the current load began
  bool sound_wanted_ = true;      // false when the null audio output was chosen on purpose
  bool moving_picture_ = false;   // the playing load has a video track that is not a still picture

  int volume_ = 100;
  bool mute_ = false;
  bool auto_start_ = true;
  QString ui_mode_ = QStringLiteral("full");
  bool stretch_to_fit_ = false;
  bool full_screen_ = false;
  int buffering_percent_ = 0;
  ReconnectSchedule reconnect_;
  QTimer* reconnect_timer_ = nullptr;
  bool reached_playing_ = false;  // the current channel has played since the user started it
  bool has_length_ = false;  // the current stream is a file of known size, not a live stream
  QString icy_title_;    // the current stream's ICY title, as sent
  QString media_title_;  // mpv's media title for the current stream
  QString now_playing_;
  QString audio_codec_;
  bool recording_ = false;
  QList<PlayerError> errors_;
  QString start_error_;
};
