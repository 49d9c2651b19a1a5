#include "desktop/one_copy.h"

#include "desktop/application_adaptor.h"

#include <QCryptographicHash>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>

#include <memory>

namespace {
const QString kInterface = QStringLiteral("org.freedesktop.Application");
const QByteArray kTaken = QByteArrayLiteral("ok\n");
// A later start that connects and says nothing is let go after this.
constexpr int kSocketPatienceMs = 5000;

QString object_path_for(const QString& desktop_id) {
  return QLatin1Char('/') + QString(desktop_id).replace(QLatin1Char('.'), QLatin1Char('/'));
}

QString token_from(const QVariantMap& platform_data) {
  for (const char* key : {"activation-token", "desktop-startup-id"}) {
    const QString token = platform_data.value(QString::fromLatin1(key)).toString();
    if (!token.isEmpty() && token.toUtf8().size() <= kMaxHandoverTokenBytes) return token;
  }
  return {};
}
}  // namespace

OneCopy::OneCopy(const QString& desktop_id, const QString& app_data, QObject* parent)
    : OneCopy(desktop_id, QDBusConnection::sessionBus(), socket_path_for(app_data), parent) {}

OneCopy::OneCopy(const QString& desktop_id, const QDBusConnection& bus, const QString& socket_path, QObject* parent)
    : QObject(parent), desktop_id_(desktop_id), object_path_(object_path_for(desktop_id)), bus_(bus),
      socket_path_(socket_path) {
  new ApplicationAdaptor(this);
  connect(&server_, &QLocalServer::newConnection, this, &OneCopy::serve_socket_connection);
}

OneCopy::~OneCopy() {
  if (on_bus_) {
    bus_.unregisterService(desktop_id_);
    bus_.unregisterObject(object_path_);
  }
}

QString OneCopy::socket_path_for(const QString& app_data) {
  const QByteArray hash = QCryptographicHash::hash(app_data.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
  return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QStringLiteral("/quovi-") +
         QString::fromLatin1(hash) + QStringLiteral(".socket");
}

bool OneCopy::claim() {
  if (on_bus_ || server_.isListening()) return true;
  if (!bus_.isConnected()) return claim_socket();
  // The object first, so that a call that comes the moment the name is ours finds it.
  if (!bus_.registerObject(object_path_, this, QDBusConnection::ExportAdaptors)) return true;
  const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus_.interface()->registerService(
      desktop_id_, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
  on_bus_ = reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered;
  if (on_bus_) return true;
  bus_.unregisterObject(object_path_);
  return !reply.isValid() || !bus_.interface()->isServiceRegistered(desktop_id_).value();
}

bool OneCopy::hand_over(const HandoverRequest& request, int timeout_ms) {
  if (!bus_.isConnected()) return hand_over_by_socket(request, timeout_ms);
  QVariantMap platform_data;
  if (!request.activation_token.isEmpty()) {
    platform_data.insert(QStringLiteral("activation-token"), request.activation_token);
    platform_data.insert(QStringLiteral("desktop-startup-id"), request.activation_token);
  }
  QDBusMessage call = QDBusMessage::createMethodCall(desktop_id_, object_path_, kInterface,
                                                     request.uris.isEmpty() ? QStringLiteral("Activate")
                                                                            : QStringLiteral("Open"));
  if (request.uris.isEmpty())
    call << platform_data;
  else
    call << request.uris << platform_data;
  return bus_.call(call, QDBus::Block, timeout_ms).type() == QDBusMessage::ReplyMessage;
}

void OneCopy::take(const QStringList& uris, const QVariantMap& platform_data, const QDBusMessage& call) {
  const std::optional<QStringList> items = handed_over_items(uris);
  if (!items) {
    call.setDelayedReply(true);
    bus_.send(call.createErrorReply(QDBusError::InvalidArgs,
                                    QStringLiteral("At most %1 files or addresses of at most %2 bytes each are taken.")
                                        .arg(kMaxHandoverItems)
                                        .arg(kMaxHandoverItemBytes)));
    return;
  }
  pass_on({*items, token_from(platform_data)});
}

void OneCopy::pass_on(const HandoverRequest& request) {
  // After the answer has gone: what the window does with it may open boxes of its own.
  QTimer::singleShot(0, this, [this, request] { Q_EMIT requested(request.uris, request.activation_token); });
}

bool OneCopy::claim_socket() {
  // Two starts at once must not both find the socket stale and both make one: the check and the
  // making are done under a lock of a moment.
  QLockFile making(socket_path_ + QStringLiteral(".lock"));
  if (!making.tryLock(2000)) return true;
  // No socket options: with them the socket is made aside and renamed into place, over the socket
  // of a copy that listens there. The runtime folder is the user's alone.
  if (server_.listen(socket_path_)) return true;
  if (server_.serverError() != QAbstractSocket::AddressInUseError) return true;
  QLocalSocket probe;
  probe.connectToServer(socket_path_);
  if (probe.waitForConnected(1000)) return false;
  // Left by a copy that ended without removing it.
  QLocalServer::removeServer(socket_path_);
  server_.listen(socket_path_);
  return true;
}

bool OneCopy::hand_over_by_socket(const HandoverRequest& request, int timeout_ms) {
  const QDeadlineTimer deadline(timeout_ms);
  QLocalSocket socket;
  socket.connectToServer(socket_path_);
  if (!socket.waitForConnected(deadline.remainingTime())) return false;
  socket.write(encode_socket_request(request));
  if (!socket.waitForBytesWritten(deadline.remainingTime())) return false;
  QByteArray answer;
  while (answer.size() < kTaken.size() && !deadline.hasExpired()) {
    if (!socket.waitForReadyRead(deadline.remainingTime())) break;
    answer += socket.read(kTaken.size() - answer.size());
  }
  return answer == kTaken;
}

void OneCopy::serve_socket_connection() {
  while (QLocalSocket* connection = server_.nextPendingConnection()) {
    connect(connection, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
    QTimer::singleShot(kSocketPatienceMs, connection, [connection] {
      connection->abort();
      connection->deleteLater();
    });
    auto received = std::make_shared<QByteArray>();
    connect(connection, &QLocalSocket::readyRead, this, [this, connection, received] {
      *received += connection->read(kMaxHandoverBytes + 1 - received->size());
      const DecodedRequest decoded = decode_socket_request(*received);
      if (decoded.state == DecodedRequest::State::Incomplete) return;
      if (decoded.state == DecodedRequest::State::Complete) {
        if (const std::optional<QStringList> items = handed_over_items(decoded.request.uris)) {
          connection->write(kTaken);
          connection->flush();
          pass_on({*items, decoded.request.activation_token});
        }
      }
      connection->disconnectFromServer();
    });
  }
}
