#ifndef TAVICON_SLCANFACE_H
#define TAVICON_SLCANFACE_H

#include <QObject>
#include <memory>

#include "bridgeface.h"
#include "canconfig/busstate.h"
#include "console/ptyline.h"
#include "interop/slcan.h"

class SendTurns;

// The bridge as an slcan adapter on a pseudo-terminal that stays open for the
// whole run, so a client may close and reopen it. When the last client closes
// it, the adapter acts as if it were unplugged and plugged in again.
class SlcanFace : public QObject, public BridgeFace
{
    Q_OBJECT
public:
    // Frames the client sends go to `sendToBus`, with this face as their origin.
    SlcanFace(const SetStartSettings &configured, const FaceSendToBus &sendToBus, SendTurns &turns,
              QObject *parent = nullptr);
    ~SlcanFace() override;

    bool open(QString *why);
    // Another program configured the converter: the next open starts from that.
    void reconfigure(const SetStartSettings &settings) { session.reconfigure(settings); }
    // The converter's bus status, for F.
    void setBusStatus(const BusStatus &status) { session.setBusState(status.errorWarning, status.errorPassive, status.busOff); }
    QString serialPath() const { return pty ? pty->serialPath() : QString(); }
    void deliver(const CanFrame &frame, qint64 usecsSinceEpoch, const void *origin) override;
    qint64 framesDropped() const override { return dropped; }
    qint64 framesRefused() const override { return refused; }
    // Closes the pty: a client reading it sees a hang-up.
    void close() override;

signals:
    // The client opened the bus: one set-and-start for the converter.
    void startRequested(const SetStartSettings &settings);

private:
    void clientBytes(const QByteArray &bytes);
    void act(const QList<SlcanReply> &replies);

    std::unique_ptr<PtyLine> pty;
    SlcanSession session;
    SendTurns &turns;
    qint64 dropped = 0;
    qint64 refused = 0;
};

#endif // TAVICON_SLCANFACE_H
