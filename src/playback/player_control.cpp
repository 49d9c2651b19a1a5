#include "playback/player_control.h"

#include "catalogue/channel_sources.h"
#include "playback/media_player.h"
#include "playback/player_status.h"
#include "playback/player_version.h"
#include "playback/stream_recorder.h"
#include "playback/video_widget.h"
#include "playback/volume.h"
#include "views/channel_list_state.h"
#include "widgets/messages.h"

#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

PlayerControl::PlayerControl(ChannelListState& state, QWidget* window, QObject* parent)
    : QObject(parent), state_(state), window_(window), recorder_(new StreamRecorder(window, this)) {}

PlayerControl::~PlayerControl() = default;

bool PlayerControl::checkPlayer() {
  if (player_version_supported(player_version())) return true;
  offer_player_download(window_);
  return false;
}

bool PlayerControl::createPlayer(QWidget* video_area, const MediaPlayerOptions& options) {
  if (!checkPlayer()) return false;
  auto* player = new MediaPlayer(options, this);
  if (!player->isValid()) {
    show_error(window_, player_start_failure_message(player->startError()));
    delete player;
    return false;
  }
  if (video_area) {
    video_ = new VideoWidget(player, video_area);
    QLayout* layout = video_area->layout();
    if (!layout) {
      layout = new QVBoxLayout(video_area);
      layout->setContentsMargins(0, 0, 0, 0);
    }
    layout->addWidget(video_);
    connect(this, &PlayerControl::videoVisibleChanged, video_, &VideoWidget::setVideoShown);
    connect(video_, &VideoWidget::doubleClicked, this, &PlayerControl::videoDoubleClicked);
  }
  attach(player);
  return true;
}

void PlayerControl::attach(PlayerComponent* player) {
  player_ = player;
  recorder_->setPlayer(player);
  player->setUiMode(QStringLiteral("none"));
  player->setVolume(kStartVolume);
  // The control shows what the player holds, not what was asked of it.
  applyVolume(player->volume());
  connect(player, &PlayerComponent::StatusChange, this, &PlayerControl::onStatusChange);
  connect(player, &PlayerComponent::Error, this, &PlayerControl::onError);
  connect(player, &PlayerComponent::nowPlayingChanged, this, &PlayerControl::onNowPlaying);
  player->setAutoStart(false);
  player->stop();
  Q_EMIT videoVisibleChanged(false);
  player->setStretchToFit(true);
  Q_EMIT statusTextChanged(player->status());
  Q_EMIT playPauseChanged(true);
  Q_EMIT muteChanged(false);
}

int PlayerControl::selectedRow() const { return selected_row_ ? selected_row_() : -1; }

void PlayerControl::loadRow(int row) {
  const int index = channel_position(state_, row);
  recorder_->stop();
  record_when_back_ = false;
  setNowPlaying(QString());
  if (index >= 0) {
    const Channel& channel = state_.catalogue.channels[static_cast<size_t>(index)];
    channel_key_ = to_qstring(channel.url);
    channel_name_ = channel.name.text();
    channel_is_radio_ = channel.group_id == kGroupRadio;
    if (player_) player_->setHttpOptions(http_options_ ? http_options_(index) : StreamHttpOptions{});
    if (player_) player_->setURL(channel_key_);
    Q_EMIT playPauseChanged(false);
  } else {
    channel_key_.clear();
    if (player_) player_->setURL(QString());
    Q_EMIT playPauseChanged(true);
  }
}

void PlayerControl::watchRow(int row) {
  loadRow(row);
  play();
}

void PlayerControl::play() {
  if (!player_) return;
  Q_EMIT playPauseChanged(true);
  player_->play();
}

void PlayerControl::pause() {
  if (!player_ || player_->URL().isEmpty()) return;
  Q_EMIT playPauseChanged(false);
  // Live TV and radio cannot be resumed where they were; only videos are paused.
  if (state_.catalogue.filter.group_id == kGroupVideo)
    player_->pause();
  else
    player_->stop();
}

void PlayerControl::onStatusChange() {
  if (!player_) return;
  const QString status = player_->status();
  if (status == QLatin1String(kPlayerStopped)) setNowPlaying(QString());
  // A file holds one stream: it ends with it. A stream that comes back after a drop is recorded
  // on into a new file, so a network blip does not quietly end a recording.
  if (status == QLatin1String(kPlayerReconnecting) && recorder_->recording()) {
    recorder_->stop();
    record_when_back_ = true;
  } else if (status == QLatin1String(kPlayerStopped)) {
    recorder_->stop();
    record_when_back_ = false;
  } else if (status == QLatin1String(kPlayerPlaying) && record_when_back_) {
    record_when_back_ = false;
    recorder_->start(channel_name_, !channel_is_radio_);
  }
  Q_EMIT statusTextChanged(status);
  QPointer<PlayerControl> alive(this);
  if (status_runs_pause_command(status)) pause();
  if (!alive || !player_) return;
  if (status_is_playing(status)) {
    Q_EMIT videoVisibleChanged(true);
    submitIfFirstPlay();
  } else {
    Q_EMIT videoVisibleChanged(false);
  }
}

void PlayerControl::submitIfFirstPlay() {
  const int row = selectedRow();
  const int index = channel_position(state_, row);
  if (index < 0) return;
  auto& channels = state_.catalogue.channels;
  const Channel& channel = channels[static_cast<size_t>(index)];
  if (!rules_of(channel).submitted_when_played || channel.sent != 0) return;
  // The submission lets the window handle events while it transfers; a second "Playing" meanwhile
  // must not send the same channel again.
  if (submitting_id_ == channel.id) return;
  const int id = channel.id;
  submitting_id_ = id;
  QPointer<PlayerControl> alive(this);
  Q_EMIT submitUserChannel(row, index);
  // The window may have closed while the request let events through.
  if (!alive) return;
  submitting_id_.reset();
  // The catalogue may have been reloaded while the request ran; mark only the same channel.
  if (static_cast<size_t>(index) < channels.size() && channels[static_cast<size_t>(index)].id == id &&
      rules_of(channels[static_cast<size_t>(index)]).submitted_when_played)
    channels[static_cast<size_t>(index)].sent = 1;
}

void PlayerControl::onError() {
  if (!player_ || player_->errorCount() == 0) return;
  const PlayerError error = player_->error(0);
  QPointer<PlayerControl> alive(this);
  show_error(window_, error.description);
  if (!alive) return;
  // A refused address was never tried, and a failure of this computer says nothing about the
  // channel: neither is reported as a broken channel.
  if (error.refused_url || error.local_failure) return;
  const int row = selectedRow();
  const int index = channel_position(state_, row);
  if (index >= 0 && rules_of(state_.catalogue.channels[static_cast<size_t>(index)]).reported_when_broken)
    Q_EMIT reportBrokenChannel(row, index);
}

void PlayerControl::onNowPlaying(const QString& raw) {
  const QString title = clean_title(raw);
  if (!title.isEmpty()) history_.add(channel_key_, title, QDateTime::currentDateTime());
  setNowPlaying(title);
}

void PlayerControl::setNowPlaying(const QString& title) {
  if (title == now_playing_) return;
  now_playing_ = title;
  Q_EMIT now_playing_changed(title);
}

void PlayerControl::volumeReleasedAt(int x) { applyVolume(volume_from_click(x)); }

void PlayerControl::applyVolume(int volume) {
  if (player_) player_->setVolume(volume);
  Q_EMIT volumeShown(volume);
}

void PlayerControl::stepVolume(int delta) {
  if (player_) applyVolume(std::clamp(player_->volume() + delta, 0, 100));
}

void PlayerControl::mute() {
  if (!player_) return;
  Q_EMIT muteChanged(true);
  player_->setMute(true);
}

void PlayerControl::unmute() {
  if (!player_) return;
  Q_EMIT muteChanged(false);
  player_->setMute(false);
}

void PlayerControl::fullScreen() {
  if (!player_ || !player_->hasCurrentMedia()) return;
  const QString status = player_->status();
  if (status == QLatin1String(kPlayerReady) || status == QLatin1String(kPlayerStopped)) return;
  player_->setFullScreen(true);
}

void PlayerControl::toggleRecording() {
  if (recorder_->recording() || record_when_back_) {
    record_when_back_ = false;
    recorder_->stop();
    return;
  }
  if (!player_ || channel_key_.isEmpty() || !status_is_playing(player_->status())) return;
  recorder_->start(channel_name_, !channel_is_radio_);
}

void PlayerControl::leaveFullScreen() {
  if (player_) player_->setFullScreen(false);
}
