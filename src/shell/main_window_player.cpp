#include "playback/player_control.h"
#include "playback/stream_recorder.h"
#include "playback/volume.h"
#include "playback/volume_button.h"
#include "shell/main_window.h"
#include "shell/pictures.h"

#include "dialogs/recent_titles_window.h"

#include <QLabel>
#include <QMenu>
#include <QPointer>
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
  connect(control, &PlayerControl::now_playing_changed, this, [this, control](const QString& title) {
    show_now_playing(title);
    if (recent_titles_ && recent_titles_->isVisible())
      recent_titles_->show_titles(channel_name_, recent_title_lines(control->recentTitles()));
  });
  connect(control->recorder(), &StreamRecorder::recordingChanged, record_, &QToolButton::setChecked);
  connect(control->recorder(), &StreamRecorder::timeChanged, this, &MainWindow::show_recording_time);
  channel_label_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(channel_label_, &QWidget::customContextMenuRequested, this,
          [this, control = QPointer<PlayerControl>(control)](const QPoint& at) {
            QMenu menu(this);
            QAction* recent =
                menu.addAction(theme_picture(QStringLiteral("document-open-recent")), QStringLiteral("Recent Titles..."));
            recent->setObjectName(QStringLiteral("RecentTitles1"));
            recent->setEnabled(control && !channel_name_.isEmpty());
            if (menu.exec(channel_label_->mapToGlobal(at)) == recent && control) open_recent_titles(control);
          });
  connect(control, &PlayerControl::submitUserChannel, this,
          [this](int row, int channel_index) { run(hooks_.submit_user_channel, row, channel_index); });
  connect(control, &PlayerControl::reportBrokenChannel, this,
          [this](int row, int channel_index) { run(hooks_.report_broken_channel, row, channel_index); });
}

void MainWindow::open_recent_titles(PlayerControl* control) {
  if (!recent_titles_) recent_titles_ = new RecentTitlesWindow(this);
  recent_titles_->show_titles(channel_name_, recent_title_lines(control->recentTitles()));
  recent_titles_->show();
  recent_titles_->raise();
}

void MainWindow::show_volume(int volume) {
  sound_->showVolume(volume);
}
