#include "ui/single_instance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(instanceLog, "tamblo.instance", QtWarningMsg)

namespace {

const QByteArray kShowRequest = QByteArrayLiteral("show\n");
// The running instance accepts at once even while a playback keeps it busy (the system queues the
// connection); these limits only matter when something is badly wrong.
constexpr int kConnectMs = 1000;
constexpr int kWriteMs = 1000;

}  // namespace

SingleInstance::SingleInstance(QString name, QObject* parent) : QObject(parent), name(std::move(name)) {}

SingleInstance::Role SingleInstance::claim()
{
    if (askRunningToShow())
        return Role::AnotherRuns;
    server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server, &QLocalServer::newConnection, this, &SingleInstance::onConnection);
    if (server->listen(name))
        return Role::First;
    if (server->serverError() == QAbstractSocket::AddressInUseError) {
        // Either one started in between, or a killed instance left its socket behind.
        if (askRunningToShow())
            return Role::AnotherRuns;
        QLocalServer::removeServer(name);
        if (server->listen(name))
            return Role::First;
    }
    qCWarning(instanceLog).noquote() << "cannot make sure only one tamblo runs:" << server->errorString();
    return Role::First;
}

bool SingleInstance::askRunningToShow()
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(kConnectMs))
        return false;
    socket.write(kShowRequest);
    socket.waitForBytesWritten(kWriteMs);
    socket.disconnectFromServer();
    return true;
}

void SingleInstance::onConnection()
{
    while (QLocalSocket* socket = server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->canReadLine() && socket->readLine() == kShowRequest)
                emit showRequested();
        });
        if (socket->canReadLine() && socket->readLine() == kShowRequest)
            emit showRequested();
    }
}
