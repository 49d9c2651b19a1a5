#include "desktop/mpris_adaptors.h"

#include "desktop/mpris_service.h"
#include "version.h"

MprisRootAdaptor::MprisRootAdaptor(MprisService* service) : QDBusAbstractAdaptor(service), service_(service) {}

QString MprisRootAdaptor::identity() const { return QStringLiteral(QUOVI_PRODUCT_NAME); }
QString MprisRootAdaptor::desktopEntry() const { return service_->desktop_entry(); }
void MprisRootAdaptor::Raise() { service_->request_raise(); }
void MprisRootAdaptor::Quit() { service_->request_quit(); }

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService* service) : QDBusAbstractAdaptor(service), service_(service) {}

QString MprisPlayerAdaptor::playbackStatus() const { return service_->playback_status(); }
QVariantMap MprisPlayerAdaptor::metadata() const { return service_->metadata(); }
double MprisPlayerAdaptor::volume() const { return service_->volume(); }
void MprisPlayerAdaptor::setVolume(double volume) { service_->set_volume(volume); }
bool MprisPlayerAdaptor::hasTrack() const { return service_->has_track(); }

void MprisPlayerAdaptor::Play() { service_->request(MediaCommand::Play); }
void MprisPlayerAdaptor::Pause() { service_->request(MediaCommand::Pause); }
void MprisPlayerAdaptor::PlayPause() { service_->request(MediaCommand::PlayPause); }
void MprisPlayerAdaptor::Stop() { service_->request(MediaCommand::Stop); }
void MprisPlayerAdaptor::Next() { service_->request(MediaCommand::Next); }
void MprisPlayerAdaptor::Previous() { service_->request(MediaCommand::Previous); }

void MprisPlayerAdaptor::OpenUri(const QString& uri, const QDBusMessage& call) {
  Q_UNUSED(uri);
  service_->refuse(call, QStringLiteral("org.mpris.MediaPlayer2.quovi.NotSupported"),
                   QStringLiteral("Channels are played from the program's list; no address is opened from outside."));
}
