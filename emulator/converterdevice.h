#ifndef TAVICON_EMULATOR_CONVERTERDEVICE_H
#define TAVICON_EMULATOR_CONVERTERDEVICE_H

#include <QObject>

#include "emulator/busstatus.h"
#include "link/hoststreamparser.h"
#include "emulator/receiveidfilter.h"
#include "link/canframe.h"

class PtyLine;

// The converter's reaction to what the host sends: reports every message on
// standard output, remembers the framing and mode of the last set-and-start,
// answers bus status queries, echoes CAN frames while in loopback mode and
// keeps the receive-ID filter that bus traffic towards the host must pass.
class ConverterDevice : public QObject
{
    Q_OBJECT
public:
    explicit ConverterDevice(PtyLine &line, QObject *parent = nullptr);

    FrameFraming framing() const { return currentFraming; }
    bool loopback() const { return loopbackMode; }
    const BusStatus &busStatus() const { return status; }
    void setBusStatus(const BusStatus &value) { status = value; }
    // Whether a frame from the bus with this identifier goes on to the host.
    bool passesFilter(quint32 identifier) const { return receiveFilter.passes(identifier); }

    // The standard output line reporting `message`.
    static QByteArray reportLine(const HostMessage &message);

private:
    void received(const QByteArray &bytes);
    void handle(const HostMessage &message);
    void applySetStart(const QByteArray &command);

    PtyLine &line;
    HostStreamParser parser;
    FrameFraming currentFraming = FrameFraming::Fixed;   // fixed at power-up
    bool loopbackMode = false;
    BusStatus status;
    ReceiveIdFilter receiveFilter;
};

#endif // TAVICON_EMULATOR_CONVERTERDEVICE_H
