#include "playback/screen_saver_inhibitor.h"

#include "version.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>

namespace {
const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString kInterface = QStringLiteral("org.freedesktop.ScreenSaver");

QDBusMessage screen_saver_call(const QString& method) {
  return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}
}  // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor(QObject* parent)
    : ScreenSaverInhibitor(QDBusConnection::sessionBus(), parent) {
  if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    connect(app, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) { setActive(state == Qt::ApplicationActive); });
    setActive(QGuiApplication::applicationState() == Qt::ApplicationActive);
  }
}

ScreenSaverInhibitor::ScreenSaverInhibitor(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), bus_(bus) {}

ScreenSaverInhibitor::~ScreenSaverInhibitor() {
  if (cookie_ && bus_.isConnected()) {
    QDBusMessage call = screen_saver_call(QStringLiteral("UnInhibit"));
    call << *cookie_;
    bus_.call(call, QDBus::NoBlock);
  }
}

void ScreenSaverInhibitor::setActive(bool active) {
  if (wanted_ == active) return;
  wanted_ = active;
  sync();
}

void ScreenSaverInhibitor::sync() {
  if (call_in_flight_ || !bus_.isConnected()) return;
  if (wanted_ == cookie_.has_value()) return;
  QDBusMessage call;
  if (wanted_) {
    call = screen_saver_call(QStringLiteral("Inhibit"));
    call << QStringLiteral(QUOVI_PRODUCT_NAME) << QStringLiteral("Playing internet TV and radio");
  } else {
    call = screen_saver_call(QStringLiteral("UnInhibit"));
    call << *cookie_;
    cookie_.reset();
  }
  call_in_flight_ = true;
  const bool inhibit = wanted_;
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, inhibit](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    call_in_flight_ = false;
    bool answered = true;
    if (inhibit) {
      const QDBusPendingReply<uint32_t> reply = *w;
      if (reply.isValid())
        cookie_ = reply.value();
      else
        answered = false;  // no screen saver service: do not keep asking
    }
    Q_EMIT serviceAnswered();
    // The wish may have changed while the call was on its way.
    if (answered || !wanted_) sync();
  });
}
