#include "socketcandface.h"

#include <QHostInfo>
#include <QNetworkInterface>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>

namespace {
// What may wait for a client that does not read before its frames are dropped.
constexpr qint64 MaxQueuedBytes = 1024 * 1024;
// python-can reads the answer to rawmode on its own: frames wait this long.
constexpr int RawModeHoldMs = 100;
constexpr int BeaconIntervalMs = 3000;
}

struct SocketcandFace::Client
{
    explicit Client(const QByteArray &busName) : session(busName) {}

    QTcpSocket *socket = nullptr;
    SocketcandSession session;
    SocketcandSplitter splitter;
    QTimer hold;                 // running: frames are kept in `held`
    QList<QByteArray> held;
    qint64 heldBytes = 0;
};

SocketcandFace::SocketcandFace(const QString &name, SendGate sendGate, QObject *parent)
    : QObject(parent)
    , busName(name)
    , gate(std::move(sendGate))
    , server(new QTcpServer(this))
{
    connect(server, &QTcpServer::newConnection, this, &SocketcandFace::accept);
    beaconTimer.setInterval(BeaconIntervalMs);
    connect(&beaconTimer, &QTimer::timeout, this, &SocketcandFace::sendBeacon);
}

SocketcandFace::~SocketcandFace()
{
    closeAll();
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

void SocketcandFace::closeAll()
{
    beaconTimer.stop();
    server->close();
    for (Client *client : std::as_const(clients)) {
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
        auto *client = new Client(busName.toUtf8());
        client->socket = socket;
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        client->session.setSendGate(gate);
        client->hold.setSingleShot(true);
        client->hold.setInterval(RawModeHoldMs);
        connect(&client->hold, &QTimer::timeout, this, [this, client] { release(client); });
        connect(socket, &QTcpSocket::readyRead, this, [this, client] { readClient(client); });
        connect(socket, &QTcpSocket::disconnected, this, [this, client] { drop(client); });
        clients.append(client);
        socket->write(SocketcandAnswer::hi());
    }
}

void SocketcandFace::readClient(Client *client)
{
    const QByteArray bytes = client->socket->readAll();
    if (client->socket->state() != QAbstractSocket::ConnectedState)
        return;                     // closing: nothing more is read
    const SocketcandSplitter::Result split = client->splitter.feed(bytes);
    for (const QByteArray &message : split.messages) {
        const SocketcandCommand command = parseSocketcandCommand(message);
        const SocketcandReply reply = client->session.handle(command);
        if (command.kind == SocketcandCommandKind::Send && !reply.frame)
            ++refused;
        if (!reply.answer.isEmpty())
            client->socket->write(reply.answer);
        if (reply.rawModeStarted)
            client->hold.start();
        if (reply.frame)
            emit frameSent(*reply.frame, client->socket);
        if (reply.close) {
            client->socket->disconnectFromHost();
            return;
        }
    }
    if (split.overlong)
        client->socket->disconnectFromHost();
}

void SocketcandFace::release(Client *client)
{
    for (const QByteArray &message : std::as_const(client->held))
        client->socket->write(message);
    client->held.clear();
    client->heldBytes = 0;
}

void SocketcandFace::drop(Client *client)
{
    clients.removeOne(client);
    client->socket->deleteLater();
    delete client;
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

void SocketcandFace::deliver(const CanFrame &frame, qint64 usecsSinceEpoch, const QObject *origin)
{
    std::optional<QByteArray> message;
    bool made = false;
    for (Client *client : std::as_const(clients)) {
        if (client->socket == origin || !client->session.inRawMode()
            || client->socket->state() != QAbstractSocket::ConnectedState)
            continue;
        if (!made) {
            message = socketcandFrameMessage(frame, usecsSinceEpoch);
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
