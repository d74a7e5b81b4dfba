#ifndef TAVICON_SLCANFACE_H
#define TAVICON_SLCANFACE_H

#include <QObject>
#include <memory>

#include "console/ptyline.h"
#include "interop/slcan.h"

// The bridge as an slcan adapter on a pseudo-terminal that stays open for the
// whole run, so a client may close and reopen it.
class SlcanFace : public QObject
{
    Q_OBJECT
public:
    SlcanFace(const SetStartSettings &configured, SendGate gate, QObject *parent = nullptr);

    bool open(QString *why);
    QString serialPath() const { return line ? line->serialPath() : QString(); }
    // Closes the pty: a client reading it sees a hang-up.
    void hangUp();

    // A frame seen on the bus (from the converter or another face).
    void deliver(const CanFrame &frame, qint64 usecsSinceEpoch);

    qint64 framesDropped() const { return dropped; }
    qint64 framesRefused() const { return refused; }

signals:
    // The client opened the bus: one set-and-start for the converter.
    void startRequested(const SetStartSettings &settings);
    // A frame the client sent that the gate let through, for the bus.
    void frameSent(const CanFrame &frame);

private:
    void received(const QByteArray &bytes);

    std::unique_ptr<PtyLine> line;
    SlcanSession session;
    SlcanLineSplitter splitter;
    qint64 dropped = 0;
    qint64 refused = 0;
};

#endif // TAVICON_SLCANFACE_H
