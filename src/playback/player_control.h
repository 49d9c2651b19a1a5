#pragma once
#include "playback/media_player_options.h"
#include "playback/now_playing.h"
#include "playback/player_component.h"
#include "playback/video_widget.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class StreamRecorder;
struct ChannelListState;
class QWidget;

// The main window's side of the media player: the start check, the Play and Pause commands, what a
// status change and an error do, volume, mute and full screen. It holds no widget of the window;
// the window connects the signals below to its buttons and labels:
//
//   PlayerControl control(state, this, this);
//   control.setSelectedRowSource(...);                 // the list's selected row or -1
//   connect(&control, &PlayerControl::statusTextChanged, ...status label...);
//   connect(&control, &PlayerControl::playPauseChanged, ...Play hidden / Pause shown when true...);
//   connect(&control, &PlayerControl::volumeShown, volume_button, &VolumeButton::showVolume);
//   connect(&control, &PlayerControl::muteChanged, ...Unmute shown / Mute hidden when true...);
//   connect(&control, &PlayerControl::submitUserChannel / reportBrokenChannel, ...feedback...);
//   if (!control.createPlayer(video_area)) ...request the end of the program...
//   buttons: Play -> play, Pause -> pause, Mute -> mute, Unmute -> unmute, Full screen -> fullScreen,
//   volume_button releasedAt -> volumeReleasedAt; selection -> loadRow; double click -> watchRow;
//   videoDoubleClicked -> fullScreen.
class PlayerControl : public QObject {
  Q_OBJECT
 public:
  // window: parent of message boxes. The selected row is asked through setSelectedRowSource.
  PlayerControl(ChannelListState& state, QWidget* window, QObject* parent = nullptr);
  ~PlayerControl() override;

  // The presence check: answers false after the start message (the window then asks to quit).
  bool checkPlayer();
  // Presence check, then the MediaPlayer and its VideoWidget filling video_area, then attach().
  // Answers false when there is no usable player, after the start message: the download question
  // when libmpv is missing or too old, mpv's own error when it is there but does not start.
  bool createPlayer(QWidget* video_area, const MediaPlayerOptions& options = MediaPlayerOptions::from_environment());
  // The creation steps with a given player (the real one, or a stand-in in tests). Connect the
  // signals first: this already raises the initial volume, status and button states.
  void attach(PlayerComponent* player);

  PlayerComponent* player() const { return player_; }
  VideoWidget* videoWidget() const { return video_; }
  StreamRecorder* recorder() const { return recorder_; }

  // What the playing stream says it plays (clean_title), empty when nothing.
  QString nowPlaying() const { return now_playing_; }
  // The last titles the loaded channel sent since the program started, oldest first.
  std::vector<HeardTitle> recentTitles() const { return history_.titles(channel_key_); }

  // The channel list's selected row, or -1; asked at the moments the rules need it.
  void setSelectedRowSource(std::function<int()> selected_row) { selected_row_ = std::move(selected_row); }
  // The HTTP options of the channel at a channel-array position (a playlist's user agent and
  // referrer); without a source every channel gets none.
  void setHttpOptionsSource(std::function<StreamHttpOptions(int index)> source) { http_options_ = std::move(source); }

 public Q_SLOTS:
  // The player's part of the list's selection handler: row >= 0 loads that row's channel without
  // starting it (Play is shown); row < 0 unloads and stops (Pause is shown).
  void loadRow(int row);
  // Watch/Listen and double click: the row is loaded again and played.
  void watchRow(int row);
  void play();   // Play button
  void pause();  // Pause button: pauses in the Video group, stops elsewhere
  // A mouse release over the volume control at x (its own coordinates), any button.
  void volumeReleasedAt(int x);
  void applyVolume(int volume);
  // A step of the keyboard's: the volume up or down by `delta`, within 0..100.
  void stepVolume(int delta);
  void mute();
  void unmute();
  void fullScreen();
  // The record button: records the playing channel into the user's Music (radio) or Videos folder,
  // or ends the recording.
  void toggleRecording();
  // The video comes back into the window (the window is closing); nothing when it is not full screen.
  void leaveFullScreen();

 Q_SIGNALS:
  void statusTextChanged(const QString& status);  // first line of the status label
  // true: the Pause button is shown and Play hidden; false: the other way round.
  void playPauseChanged(bool playing);
  // Whether the video shows (only while the status says playing); black otherwise.
  void videoVisibleChanged(bool visible);
  // The volume control's hint (volume_hint) and picture (volume_picture_index) follow this.
  void volumeShown(int volume);
  // true: Unmute is shown and Mute hidden.
  void muteChanged(bool muted);
  // A user-defined channel was seen playing for the first time: submit it. Its sent flag is set
  // when the connected slots have returned.
  void submitUserChannel(int row, int channel_index);
  // The player failed on the selected channel, after the message was closed: report it.
  void reportBrokenChannel(int row, int channel_index);
  // The video in the window was double-clicked (in full screen it goes back by itself).
  void videoDoubleClicked();
  // The playing stream's title changed (plain text, cleaned); empty when it went or was stopped.
  void now_playing_changed(const QString& title);

 private:
  void onStatusChange();
  void onError();
  void onNowPlaying(const QString& raw);
  void setNowPlaying(const QString& title);
  int selectedRow() const;
  void submitIfFirstPlay();

  ChannelListState& state_;
  QPointer<QWidget> window_;
  QPointer<PlayerComponent> player_;
  QPointer<VideoWidget> video_;
  std::function<int()> selected_row_;
  std::function<StreamHttpOptions(int index)> http_options_;
  std::optional<int> submitting_id_;  // user channel whose submission is on its way
  StreamRecorder* recorder_ = nullptr;
  QString channel_key_;  // the loaded channel's address
  QString channel_name_;
  bool channel_is_radio_ = false;
  bool record_when_back_ = false;  // a recording was running when the stream dropped
  QString now_playing_;
  TitleHistory history_;
};
