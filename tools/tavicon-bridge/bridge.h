#ifndef TAVICON_BRIDGE_H
#define TAVICON_BRIDGE_H

#include <QObject>
#include <memory>

#include "bridgeoptions.h"
#include "console/serialendlink.h"
#include "session/convertersession.h"
#include "interop/sendtobus.h"
#include "sendturns.h"

class CandumpCapture;
class SlcanFace;
class SocketcandFace;

// The converter session and the faces: every frame from the bus goes to every
// face, every frame a face sends goes to the bus and to the other faces.
class Bridge : public QObject
{
    Q_OBJECT
public:
    explicit Bridge(const BridgeOptions &options, QObject *parent = nullptr);
    ~Bridge() override;

    // Opens the port, configures the converter, opens the faces and prints
    // their lines and READY; false with the reason in `why` (exit status 1).
    bool start(QString *why);
    // Closes the faces, writes the capture and prints the counters.
    void stop();

signals:
    // The converter has gone; `reason` from the port.
    void portLost(const QString &reason);

private:
    void fromBus(const CanFrame &frame, qint64 usecsSinceEpoch);
    // A frame a face's client sent: to the bus, then to the others as seen on
    // the bus, unless read-only or the send queue has no room.
    SendVerdict fromFace(const CanFrame &frame, const QObject *origin, const QObject *face);

    BridgeOptions options;
    ConverterSession session;
    SendTurns turns;
    std::unique_ptr<SlcanFace> slcan;
    std::unique_ptr<SocketcandFace> socketcand;
    std::unique_ptr<CandumpCapture> capture;
    std::unique_ptr<CandumpCapture> pcap;
    SerialEndLink link;
    qint64 captureDropped = 0;
    bool running = false;            // started completely
    bool stopped = false;
};

#endif // TAVICON_BRIDGE_H
