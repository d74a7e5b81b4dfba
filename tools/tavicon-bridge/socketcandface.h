#ifndef TAVICON_SOCKETCANDFACE_H
#define TAVICON_SOCKETCANDFACE_H

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTimer>
#include <memory>

#include "interop/socketcand.h"

class QTcpServer;
class QTcpSocket;
class QUdpSocket;

// The bridge as a socketcand server: any number of clients, each with its own
// session, queue and raw-mode hold.
class SocketcandFace : public QObject
{
    Q_OBJECT
public:
    SocketcandFace(const QString &busName, SendGate gate, QObject *parent = nullptr);
    ~SocketcandFace() override;

    bool listen(const QHostAddress &address, quint16 port, QString *why);
    QString addressText() const;
    // Sends the discovery beacon now and every 3 s.
    void startBeacon();
    void closeAll();

    // A frame seen on the bus; `origin` is the client that sent it (it does
    // not get it back), or nullptr.
    void deliver(const CanFrame &frame, qint64 usecsSinceEpoch, const QObject *origin = nullptr);

    qint64 framesDropped() const { return dropped; }
    qint64 framesRefused() const { return refused; }

signals:
    // A frame a client sent that the gate let through; `origin` identifies it.
    void frameSent(const CanFrame &frame, const QObject *origin);

private:
    struct Client;
    void accept();
    void readClient(Client *client);
    void release(Client *client);
    void drop(Client *client);
    void queue(Client *client, const QByteArray &message);
    void sendBeacon();

    QString busName;
    SendGate gate;
    QTcpServer *server;
    QList<Client *> clients;
    QUdpSocket *beaconSocket = nullptr;
    QTimer beaconTimer;
    qint64 dropped = 0;
    qint64 refused = 0;
};

#endif // TAVICON_SOCKETCANDFACE_H
