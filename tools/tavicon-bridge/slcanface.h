#ifndef TAVICON_SLCANFACE_H
#define TAVICON_SLCANFACE_H

#include "canconfig/busstate.h"
#include "interop/slcan.h"
#include "ptyface.h"

// The bridge as an slcan adapter on a pseudo-terminal. When the last client
// closes it, the adapter acts as if it were unplugged and plugged in again.
class SlcanFace : public PtyFace
{
    Q_OBJECT
public:
    // Frames the client sends go to `sendToBus`, with this face as their origin.
    SlcanFace(const SetStartSettings &configured, const FaceSendToBus &sendToBus, SendTurns &turns,
              QObject *parent = nullptr);

    // Another program configured the converter: the next open starts from that.
    void reconfigure(const SetStartSettings &settings) { session.reconfigure(settings); }
    // The converter's bus status, for F.
    void setBusStatus(const BusStatus &status) { session.setBusState(status.errorWarning, status.errorPassive, status.busOff); }
    void deliver(const CanFrame &frame, qint64 usecsSinceEpoch, const void *origin) override;

signals:
    // The client opened the bus: one set-and-start for the converter.
    void startRequested(const SetStartSettings &settings);

private:
    void clientWrote(const QByteArray &bytes) override { act(session.fromClient(bytes)); }
    void clientLeft() override { act(session.clientGone()); }
    void act(const QList<SlcanReply> &replies);

    SlcanSession session;
};

#endif // TAVICON_SLCANFACE_H
