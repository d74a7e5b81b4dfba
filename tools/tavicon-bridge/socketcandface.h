#ifndef TAVICON_SOCKETCANDFACE_H
#define TAVICON_SOCKETCANDFACE_H

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTimer>
#include <memory>

#include "bridgeface.h"
#include "interop/socketcand.h"

class QTcpServer;
class QTcpSocket;
class QUdpSocket;
class SendTurns;

// The bridge as a socketcand server: any number of clients, each with its own
// session, queue and raw-mode hold. A client that waits for room in the send
// queue is not read meanwhile; one that leaves has its last sends taken first.
class SocketcandFace : public QObject, public BridgeFace
{
    Q_OBJECT
public:
    // Frames clients send go to `sendToBus`, with the client's socket as their origin.
    SocketcandFace(const QString &busName, FaceSendToBus sendToBus, SendTurns &turns, QObject *parent = nullptr);
    ~SocketcandFace() override;

    bool listen(const QHostAddress &address, quint16 port, QString *why);
    QString addressText() const;
    // Sends the discovery beacon now and every 3 s.
    void startBeacon();

    void deliver(const CanFrame &frame, qint64 usecsSinceEpoch, const void *origin) override;
    qint64 framesDropped() const override { return dropped; }
    qint64 framesRefused() const override { return refused; }
    void close() override;

private:
    struct Client;
    void accept();
    void readClient(Client *client);
    // Acts on a client's replies; false when the client is gone for good.
    bool act(Client *client, const QList<SocketcandReply> &replies);
    void release(Client *client);
    void clientLeft(Client *client);
    void remove(Client *client);
    void queue(Client *client, const QByteArray &message);
    void sendBeacon();

    QString busName;
    FaceSendToBus sendToBus;
    SendTurns &turns;
    QTcpServer *server;
    QList<Client *> clients;
    QUdpSocket *beaconSocket = nullptr;
    QTimer beaconTimer;
    qint64 dropped = 0;
    qint64 refused = 0;
};

#endif // TAVICON_SOCKETCANDFACE_H
