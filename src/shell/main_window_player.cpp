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
    play_->setVisible(!playing);
    pause_->setVisible(playing);
  });
  connect(control, &PlayerControl::muteChanged, this, [this](bool muted) {
    unmute_->setVisible(muted);
    mute_->setVisible(!muted);
  });
  connect(control, &PlayerControl::volumeShown, this, &MainWindow::show_volume);
  connect(control, &PlayerControl::submitUserChannel, this,
          [this](int row, int channel_index) { run(hooks_.submit_user_channel, row, channel_index); });
  connect(control, &PlayerControl::reportBrokenChannel, this,
          [this](int row, int channel_index) { run(hooks_.report_broken_channel, row, channel_index); });
}

void MainWindow::show_volume(int volume) {
  sound_->showVolume(volume);
}
