#pragma once
#include "../playback/wait_until.h"

#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <optional>

// A session bus of the test's own: a dbus-daemon listening in a temporary folder, with no services
// started on demand (an installed playerctld, for one, would otherwise join in). Ended with the
// object.
class PrivateSessionBus {
 public:
  PrivateSessionBus() {
    const QString config = dir_.filePath(QStringLiteral("bus.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write(QStringLiteral(R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)")
                   .arg(dir_.path())
                   .toUtf8());
    file.close();
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"), QStringLiteral("--print-address")});
    if (daemon_.waitForStarted(5000) && daemon_.waitForReadyRead(5000))
      address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
  }
  ~PrivateSessionBus() {
    for (const QString& name : names_) QDBusConnection::disconnectFromBus(name);
    daemon_.kill();
    daemon_.waitForFinished(5000);
  }
  PrivateSessionBus(const PrivateSessionBus&) = delete;
  PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

  bool running() const { return !address_.isEmpty(); }
  QString address() const { return address_; }
  // A connection of its own, dropped with the bus.
  QDBusConnection connect(const QString& name) {
    names_ << name;
    return QDBusConnection::connectToBus(address_, name);
  }
  // Runs a D-Bus client program on this bus while the test's event loop goes on (the player it talks
  // to answers from that loop); answers its standard output, or nothing when it failed.
  std::optional<QString> run(const QString& program, const QStringList& arguments) {
    QProcess client;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
    client.setProcessEnvironment(environment);
    client.start(program, arguments);
    if (!client.waitForStarted(5000)) return std::nullopt;
    quovi_test::wait_until([&] { return client.state() == QProcess::NotRunning; }, 20000);
    if (client.state() != QProcess::NotRunning) {
      client.kill();
      client.waitForFinished(5000);
      return std::nullopt;
    }
    last_error_ = QString::fromUtf8(client.readAllStandardError());
    if (client.exitStatus() != QProcess::NormalExit || client.exitCode() != 0) return std::nullopt;
    return QString::fromUtf8(client.readAllStandardOutput()).trimmed();
  }
  QString last_error() const { return last_error_; }

 private:
  QTemporaryDir dir_;
  QProcess daemon_;
  QString address_;
  QStringList names_;
  QString last_error_;
};
