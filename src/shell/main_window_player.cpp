#include "playback/player_control.h"
#include "playback/volume.h"
#include "playback/volume_button.h"
#include "shell/main_window.h"
#include "shell/pictures.h"

#include <QToolButton>

void MainWindow::attach_player_control(PlayerControl* control) {
  if (!control) return;
  control->setSelectedRowSource([this] { return selected_row(); });
  connect(control, &PlayerControl::statusTextChanged, this, &MainWindow::set_status_text);
  connect(control, &PlayerControl::playPauseChanged, this, [this](bool playing) {
    playing ? show_one_of(pause_, play_) : show_one_of(play_, pause_);
  });
  connect(control, &PlayerControl::muteChanged, this, [this](bool muted) {
    muted ? show_one_of(unmute_, mute_) : show_one_of(mute_, unmute_);
  });
  connect(control, &PlayerControl::videoDoubleClicked, this, [this] { run(hooks_.video_double_clicked); });
  connect(control, &PlayerControl::volumeShown, this, &MainWindow::show_volume);
  connect(control, &PlayerControl::submitUserChannel, this,
          [this](int row, int channel_index) { run(hooks_.submit_user_channel, row, channel_index); });
  connect(control, &PlayerControl::reportBrokenChannel, this,
          [this](int row, int channel_index) { run(hooks_.report_broken_channel, row, channel_index); });
}

void MainWindow::show_volume(int volume) {
  sound_->showVolume(volume);
}
