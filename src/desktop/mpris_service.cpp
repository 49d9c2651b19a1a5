#include "desktop/mpris_service.h"

#include "desktop/mpris_adaptors.h"
#include "playback/player_control.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QTimer>

namespace {
const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kBusName = QStringLiteral("org.mpris.MediaPlayer2.quovi");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
}  // namespace

MprisService::MprisService(PlayerControl* control, const QString& desktop_entry, QObject* parent)
    : MprisService(control, desktop_entry, QDBusConnection::sessionBus(), parent) {}

MprisService::MprisService(PlayerControl* control, const QString& desktop_entry, const QDBusConnection& bus,
                           QObject* parent)
    : QObject(parent), bus_(bus), control_(control), desktop_entry_(desktop_entry) {
  new MprisRootAdaptor(this);
  new MprisPlayerAdaptor(this);
  if (control) {
    if (const PlayerComponent* player = control->player()) {
      playback_status_ = mpris_playback_status(player->status());
      volume_ = player->volume();
    }
    connect(control, &PlayerControl::statusTextChanged, this, &MprisService::on_status_text);
    connect(control, &PlayerControl::volumeShown, this, &MprisService::on_volume);
  }
  publish();
}

MprisService::~MprisService() {
  if (service_name_.isEmpty()) return;
  bus_.unregisterService(service_name_);
  bus_.unregisterObject(kObjectPath);
}

void MprisService::publish() {
  if (!bus_.isConnected() || !bus_.registerObject(kObjectPath, this, QDBusConnection::ExportAdaptors)) return;
  // A second copy of the program is a player of its own, under the name the MPRIS rules give it.
  const QString own_name = kBusName + QStringLiteral(".instance") + QString::number(QCoreApplication::applicationPid());
  for (const QString& name : {kBusName, own_name}) {
    if (bus_.registerService(name)) {
      service_name_ = name;
      return;
    }
  }
  bus_.unregisterObject(kObjectPath);
}

void MprisService::set_track(const std::optional<MprisTrack>& track) {
  if (track == track_) return;
  const bool had_track = track_.has_value();
  track_ = track;
  now_playing_.clear();
  QVariantMap changed{{QStringLiteral("Metadata"), metadata()}};
  if (had_track != track_.has_value()) {
    changed.insert(QStringLiteral("CanPlay"), has_track());
    changed.insert(QStringLiteral("CanPause"), has_track());
  }
  announce(kPlayerInterface, changed);
}

void MprisService::set_now_playing(const QString& title) {
  if (title == now_playing_) return;
  now_playing_ = title;
  if (track_) announce(kPlayerInterface, {{QStringLiteral("Metadata"), metadata()}});
}

void MprisService::on_status_text(const QString& status) {
  const QString playback = mpris_playback_status(status);
  if (playback == playback_status_) return;
  playback_status_ = playback;
  announce(kPlayerInterface, {{QStringLiteral("PlaybackStatus"), playback_status_}});
}

void MprisService::on_volume(int volume) {
  if (volume == volume_) return;
  volume_ = volume;
  announce(kPlayerInterface, {{QStringLiteral("Volume"), this->volume()}});
}

void MprisService::request(MediaCommand command) {
  run_later([this, command] {
    if (hooks_.command) hooks_.command(command);
  });
}

void MprisService::request_raise() {
  run_later([this] {
    if (hooks_.raise) hooks_.raise();
  });
}

void MprisService::request_quit() {
  run_later([this] {
    if (hooks_.quit) hooks_.quit();
  });
}

void MprisService::set_volume(double volume) {
  const std::optional<int> level = player_volume(volume);
  if (level && control_) control_->applyVolume(*level);
}

void MprisService::refuse(const QDBusMessage& call, const QString& error, const QString& text) {
  call.setDelayedReply(true);
  bus_.send(call.createErrorReply(error, text));
}

void MprisService::run_later(std::function<void()> hook) { QTimer::singleShot(0, this, std::move(hook)); }

void MprisService::announce(const QString& interface, const QVariantMap& changed) {
  if (service_name_.isEmpty()) return;
  QDBusMessage signal = QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                   QStringLiteral("PropertiesChanged"));
  signal << interface << changed << QStringList();
  bus_.send(signal);
}
