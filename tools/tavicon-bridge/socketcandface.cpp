#include "socketcandface.h"

#include <QHostInfo>
#include <QNetworkInterface>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>

#include "refusallog.h"
#include "sendturns.h"

namespace {
// What may wait for a client that does not read before its frames are dropped.
constexpr qint64 MaxQueuedBytes = 1024 * 1024;
// python-can reads the answer to rawmode on its own: frames wait this long.
constexpr int RawModeHoldMs = 100;
constexpr int BeaconIntervalMs = 3000;
// What is read from a client ahead of the messages handled: while its sends
// wait for room, the rest stays in the kernel and holds its writer back.
constexpr qint64 ReadBufferBytes = 64 * 1024;
}

struct SocketcandFace::Client
{
    Client(const QByteArray &busName, QTcpSocket *s)
        : socket(s)
        , session(busName)
        , refusals(QStringLiteral("socketcand client %1:%2").arg(s->peerAddress().toString()).arg(s->peerPort()))
    {
    }

    QTcpSocket *socket;
    SocketcandSession session;
    RefusalLog refusals;
    QTimer hold;                 // running: frames are kept in `held`
    QList<QByteArray> held;
    qint64 heldBytes = 0;
    bool left = false;           // the client has closed; what it sent is still handled
    bool removed = false;        // deleted at the next turn of the event loop
};

SocketcandFace::SocketcandFace(const QString &name, FaceSendToBus send, SendTurns &sendTurns, QObject *parent)
    : QObject(parent)
    , busName(name)
    , sendToBus(std::move(send))
    , turns(sendTurns)
    , server(new QTcpServer(this))
{
    connect(server, &QTcpServer::newConnection, this, &SocketcandFace::accept);
    beaconTimer.setInterval(BeaconIntervalMs);
    connect(&beaconTimer, &QTimer::timeout, this, &SocketcandFace::sendBeacon);
}

SocketcandFace::~SocketcandFace()
{
    close();
}

bool SocketcandFace::listen(const QHostAddress &address, quint16 port, QString *why)
{
    if (!server->listen(address, port)) {
        *why = server->errorString();
        return false;
    }
    return true;
}

QString SocketcandFace::addressText() const
{
    return QStringLiteral("%1:%2").arg(server->serverAddress().toString()).arg(server->serverPort());
}

void SocketcandFace::close()
{
    beaconTimer.stop();
    server->close();
    for (Client *client : std::as_const(clients)) {
        turns.forget(client);
        client->socket->disconnect(this);
        client->socket->abort();
        client->socket->deleteLater();
        delete client;
    }
    clients.clear();
}

void SocketcandFace::accept()
{
    while (QTcpSocket *socket = server->nextPendingConnection()) {
        auto *client = new Client(busName.toUtf8(), socket);
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        socket->setReadBufferSize(ReadBufferBytes);
        client->session.setSendToBus([this, socket](const CanFrame &frame) { return sendToBus(frame, socket); });
        client->hold.setSingleShot(true);
        client->hold.setInterval(RawModeHoldMs);
        connect(&client->hold, &QTimer::timeout, this, [this, client] { release(client); });
        connect(socket, &QTcpSocket::readyRead, this, [this, client] { readClient(client); });
        connect(socket, &QTcpSocket::disconnected, this, [this, client] { clientLeft(client); });
        clients.append(client);
        socket->write(SocketcandAnswer::hi());
    }
}

void SocketcandFace::readClient(Client *client)
{
    // A waiting client is read again when its turn comes.
    while (!client->removed && !client->session.isWaiting() && client->socket->bytesAvailable() > 0) {
        if (!act(client, client->session.fromClient(client->socket->readAll())))
            return;
    }
}

bool SocketcandFace::act(Client *client, const QList<SocketcandReply> &replies)
{
    for (const SocketcandReply &reply : replies) {
        if (!reply.answer.isEmpty() && !client->left)
            client->socket->write(reply.answer);
        if (!reply.refusal.isEmpty()) {
            ++refused;
            client->refusals.refused(reply.refusal);
        }
        if (reply.rawModeStarted)
            client->hold.start();
        if (reply.close) {
            if (client->left)
                remove(client);
            else
                client->socket->disconnectFromHost();      // may remove the client at once
            return !client->removed;
        }
    }
    if (client->session.isWaiting()) {
        turns.wait(client, [this, client] {
            if (act(client, client->session.resume()) && !client->left)
                readClient(client);
        });
    } else if (client->left) {
        remove(client);
    }
    return !client->removed;
}

void SocketcandFace::release(Client *client)
{
    for (const QByteArray &message : std::as_const(client->held))
        client->socket->write(message);
    client->held.clear();
    client->heldBytes = 0;
}

// The client has closed: what it sent before is all in the socket's buffer.
void SocketcandFace::clientLeft(Client *client)
{
    if (client->left)
        return;
    client->left = true;
    act(client, client->session.fromClient(client->socket->readAll()));
}

void SocketcandFace::remove(Client *client)
{
    if (client->removed)
        return;
    client->removed = true;
    turns.forget(client);
    clients.removeOne(client);
    client->hold.stop();
    client->socket->disconnect(this);
    client->socket->deleteLater();
    // Callers up the stack still look at it.
    QMetaObject::invokeMethod(this, [client] { delete client; }, Qt::QueuedConnection);
}

void SocketcandFace::queue(Client *client, const QByteArray &message)
{
    if (client->hold.isActive()) {
        if (client->heldBytes + message.size() > MaxQueuedBytes) {
            ++dropped;
            return;
        }
        client->held.append(message);
        client->heldBytes += message.size();
        return;
    }
    if (client->socket->bytesToWrite() + message.size() > MaxQueuedBytes) {
        ++dropped;
        return;
    }
    client->socket->write(message);
}

void SocketcandFace::deliver(const CanFrame &frame, qint64 usecsSinceEpoch, const void *origin)
{
    std::optional<QByteArray> message;
    bool made = false;
    for (Client *client : std::as_const(clients)) {
        if (client->socket == origin || !client->session.inRawMode()
            || client->socket->state() != QAbstractSocket::ConnectedState)
            continue;
        if (!made) {
            message = isErrorFrame(frame) ? socketcandErrorMessage(frame, usecsSinceEpoch)
                                          : socketcandFrameMessage(frame, usecsSinceEpoch);
            made = true;
        }
        if (!message) {
            ++dropped;              // a remote frame or one the protocol cannot carry
            continue;
        }
        queue(client, *message);
    }
}

void SocketcandFace::startBeacon()
{
    beaconSocket = new QUdpSocket(this);
    sendBeacon();
    beaconTimer.start();
}

// To 127.255.255.255 from loopback, to every interface's broadcast address
// from 0.0.0.0 (naming that interface's own address), else to the broadcast
// address of the listening address' network.
void SocketcandFace::sendBeacon()
{
    const QHostAddress listening = server->serverAddress();
    const quint16 port = server->serverPort();
    const QString host = QHostInfo::localHostName();
    const auto send = [&](const QHostAddress &address, const QHostAddress &to) {
        beaconSocket->writeDatagram(socketcandBeacon(host, address.toString(), port, busName), to,
                                    Socketcand::BeaconPort);
    };
    if (listening.isLoopback()) {
        send(listening, QHostAddress(QStringLiteral("127.255.255.255")));
        return;
    }
    const bool any = listening == QHostAddress::AnyIPv4 || listening == QHostAddress::Any;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol || entry.broadcast().isNull())
                continue;
            if (any || entry.ip() == listening)
                send(entry.ip(), entry.broadcast());
        }
    }
}
