#include "playback/player_control.h"
#include "playback/volume.h"
#include "playback/volume_button.h"
#include "shell/main_form.h"
#include "shell/pictures.h"

#include <QPointer>
#include <QToolButton>

void T_mainForm::attach_player_control(PlayerControl* control) {
  if (!control) return;
  control->setSelectedRowSource([this] { return selected_row(); });
  connect(control, &PlayerControl::statusTextChanged, this, &T_mainForm::set_status_text);
  connect(control, &PlayerControl::playPauseChanged, this, [this](bool playing) {
    play_->setVisible(!playing);
    pause_->setVisible(playing);
  });
  connect(control, &PlayerControl::muteChanged, this, [this](bool muted) {
    unmute_->setVisible(muted);
    mute_->setVisible(!muted);
  });
  connect(control, &PlayerControl::volumeShown, this, &T_mainForm::show_volume);
  connect(control, &PlayerControl::submitUserChannel, this,
          [this](int row, int channel_index) { run(hooks_.submit_user_channel, row, channel_index); });
  connect(control, &PlayerControl::reportBrokenChannel, this,
          [this](int row, int channel_index) { run(hooks_.report_broken_channel, row, channel_index); });

  const QPointer<PlayerControl> player(control);
  hooks_.load_row = [player](int row) {
    if (player) player->loadRow(row);
  };
  const auto command = [player](void (PlayerControl::*slot)()) {
    return [player, slot] {
      if (player) (player.data()->*slot)();
    };
  };
  hooks_.play = command(&PlayerControl::play);
  hooks_.pause = command(&PlayerControl::pause);
  hooks_.mute = command(&PlayerControl::mute);
  hooks_.unmute = command(&PlayerControl::unmute);
  hooks_.fullscreen = command(&PlayerControl::fullScreen);
  hooks_.leave_fullscreen = command(&PlayerControl::leaveFullScreen);
  hooks_.sound_mouse_up = [player](int x) {
    if (player) player->volumeReleasedAt(x);
  };
}

void T_mainForm::show_volume(int volume) {
  sound_->showVolume(volume);
}
