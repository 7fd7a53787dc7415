#include "ui/shell/single_instance.h"

#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>

namespace tf {

namespace {

constexpr int kConnectWaitMs = 1000;
const QByteArray kRaiseRequest = QByteArrayLiteral("raise\n");

}  // namespace

QString SingleInstance::DefaultName() {
  return QStringLiteral("twinfold-%1").arg(static_cast<qulonglong>(getuid()));
}

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), m_name(std::move(name)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::OtherIsRunning() const {
  QLocalSocket socket;
  socket.connectToServer(m_name);
  const bool connected = socket.waitForConnected(kConnectWaitMs);
  socket.abort();
  return connected;
}

bool SingleInstance::Listen() {
  if (listening()) return true;
  if (OtherIsRunning()) return false;
  delete m_server;
  m_server = new QLocalServer(this);
  // Only this user may connect.
  m_server->setSocketOptions(QLocalServer::UserAccessOption);
  if (!m_server->listen(m_name)) {
    // Nobody answered, so the socket file is a leftover of an instance that crashed.
    QLocalServer::removeServer(m_name);
    if (!m_server->listen(m_name)) return false;
  }
  connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onConnection);
  return true;
}

bool SingleInstance::listening() const {
  return m_server && m_server->isListening();
}

bool SingleInstance::SendRaise() const {
  QLocalSocket socket;
  socket.connectToServer(m_name);
  if (!socket.waitForConnected(kConnectWaitMs)) return false;
  socket.write(kRaiseRequest);
  const bool sent = socket.waitForBytesWritten(kConnectWaitMs);
  socket.disconnectFromServer();
  return sent;
}

void SingleInstance::onConnection() {
  while (QLocalSocket* socket = m_server->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      // Only the one request is understood; anything else is read and ignored.
      if (socket->readAll().startsWith(kRaiseRequest.trimmed())) emit raiseRequested();
    });
    if (socket->bytesAvailable() > 0) emit socket->readyRead();
  }
}

}  // namespace tf
