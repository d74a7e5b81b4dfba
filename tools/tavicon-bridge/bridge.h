#ifndef TAVICON_BRIDGE_H
#define TAVICON_BRIDGE_H

#include <QObject>
#include <memory>
#include <vector>

#include "bridgeface.h"
#include "bridgeoptions.h"
#include "interop/framelogwriter.h"
#include "console/serialendlink.h"
#include "interop/sendtobus.h"
#include "sendturns.h"
#include "session/busstatuspoller.h"
#include "session/convertersession.h"

// The converter session and the faces: every frame from the bus goes to every
// face, every frame a face's client sends goes to the bus and to the others.
class Bridge : public QObject
{
    Q_OBJECT
public:
    explicit Bridge(const BridgeOptions &options, QObject *parent = nullptr);
    ~Bridge() override;

    // Opens the port, configures the converter, opens the faces and prints
    // their lines and READY; false with the reason in `why` (exit status 1).
    bool start(QString *why);
    // Closes the faces, writes the captures and prints the counters.
    void stop();

signals:
    // The converter has gone; `reason` from the port.
    void portLost(const QString &reason);

private:
    // What a face's client sends goes to fromClient.
    FaceSendToBus sendToBus();
    // Opens a pty face named `name` and the link to it, when one is asked for.
    bool openPty(class PtyFace &face, const QString &name, const QString &linkPath, SerialEndLink &link,
                 QStringList *lines, QString *why);
    // Each opens a face, adds its start-up line to `lines`; false with `why`.
    bool openSlcan(QStringList *lines, QString *why);
    bool openSocketcand(QStringList *lines, QString *why);
    bool openConverter(QStringList *lines, QString *why);
    bool openCapture(CanLogFormat format, const QString &path, QStringList *lines, QString *why);
    void fromBus(const CanFrame &frame, qint64 usecsSinceEpoch);
    // A frame a client sent (`origin`): to the bus, then to the faces as seen
    // on the bus, unless read-only or the send queue has no room.
    SendVerdict fromClient(const CanFrame &frame, const void *origin);

    BridgeOptions options;
    ConverterSession session;
    BusStatusPoller poller{&session};
    SendTurns turns;
    std::vector<std::unique_ptr<BridgeFace>> faces;
    class SlcanFace *slcan = nullptr;          // among the faces, when offered
    qint64 busErrors = 0;            // error frames reported
    SerialEndLink slcanLink;
    SerialEndLink converterLink;
    bool running = false;            // started completely
    bool stopped = false;
};

#endif // TAVICON_BRIDGE_H
