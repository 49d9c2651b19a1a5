#pragma once
#include "desktop/handover_request.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

// One running copy of the program per user and data folder. The first copy to start owns the
// program's name on the session bus (its desktop id, answering org.freedesktop.Application as
// desktops expect of an application they start by D-Bus) or, without a session bus, a local
// socket in the runtime folder; a later start hands its files and addresses to it and ends.
class OneCopy : public QObject {
  Q_OBJECT
 public:
  // On the session bus, or on the socket that belongs to the data folder.
  explicit OneCopy(const QString& desktop_id, const QString& app_data, QObject* parent = nullptr);
  // On a given bus (a disconnected one: the socket) and socket path (tests).
  OneCopy(const QString& desktop_id, const QDBusConnection& bus, const QString& socket_path, QObject* parent);
  ~OneCopy() override;

  // Becomes the running copy unless another one is there; false when another one is. A copy that
  // cannot be found by later starts (the bus refused the name for another reason, the socket
  // could not be made) still runs: it answers true.
  bool claim();
  // Hands the request to the running copy; true once that copy has answered that it took it.
  bool hand_over(const HandoverRequest& request, int timeout_ms);

  // The socket of the copies of one data folder; a hash keeps its name short and plain.
  static QString socket_path_for(const QString& app_data);

  // --- What the bus adaptor asks.
  void take(const QStringList& uris, const QVariantMap& platform_data, const QDBusMessage& call);

 Q_SIGNALS:
  // A later start asked for the program: the window comes to the front (with the desktop's token,
  // when it gave one) and adds the items. Emitted once the caller has been answered.
  void requested(const QStringList& items, const QString& activation_token);

 private:
  bool claim_socket();
  bool hand_over_by_socket(const HandoverRequest& request, int timeout_ms);
  void serve_socket_connection();
  void pass_on(const HandoverRequest& request);

  QString desktop_id_;
  QString object_path_;
  QDBusConnection bus_;
  QString socket_path_;
  QLocalServer server_;
  bool on_bus_ = false;
};
