#include "singleinstance.h"

#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace corvane::app {

namespace {
constexpr char kAccepted[] = "ok\n";
constexpr qint64 kMaxRequest = 64 * 1024;
} // namespace

HandOver HandOverRequest(const QString& serverName, const InstanceRequest& request, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(timeoutMs))
        return socket.error() == QLocalSocket::SocketTimeoutError ? HandOver::Failed : HandOver::NoServer;

    QElapsedTimer clock;
    clock.start();
    auto left = [&] { return std::max<int>(1, timeoutMs - static_cast<int>(clock.elapsed())); };

    socket.write(QByteArray::fromStdString(EncodeInstanceRequest(request)));
    if (!socket.waitForBytesWritten(left()))
        return HandOver::Failed;
    QByteArray answer;
    while (!answer.contains('\n')) {
        if (clock.elapsed() >= timeoutMs || !socket.waitForReadyRead(left())) {
            answer += socket.readAll();
            break;
        }
        answer += socket.readAll();
    }
    return answer == kAccepted ? HandOver::Done : HandOver::Failed;
}

SingleInstance::SingleInstance(QString serverName, QObject* parent) : QObject(parent), name_(std::move(serverName))
{
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::listen()
{
    if (server_)
        return server_->isListening();
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name_)) {
        // Nobody answered on the name, so the socket is a leftover.
        QLocalServer::removeServer(name_);
        if (!server_->listen(name_))
            return false;
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    return true;
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, buffer] {
            *buffer += socket->readAll();
            const qsizetype end = buffer->indexOf('\n');
            if (end < 0) {
                if (buffer->size() > kMaxRequest)
                    socket->abort();
                return;
            }
            const auto request = DecodeInstanceRequest(buffer->left(end + 1).toStdString());
            buffer->clear();
            socket->write(request ? kAccepted : "bad request\n");
            socket->flush();
            socket->disconnectFromServer();
            // The sender is answered first: opening the file may show dialogs.
            if (request && onRequest)
                QTimer::singleShot(0, this, [this, r = *request] {
                    if (onRequest)
                        onRequest(r);
                });
        });
    }
}

} // namespace corvane::app
