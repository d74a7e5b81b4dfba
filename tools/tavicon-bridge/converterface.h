#ifndef TAVICON_CONVERTERFACE_H
#define TAVICON_CONVERTERFACE_H

#include <QObject>
#include <memory>

#include "bridgeface.h"
#include "console/ptyline.h"
#include "link/hostlinksession.h"

class ConverterSession;
class SendTurns;

// The bridge as the converter itself, on a pseudo-terminal that stays open
// for the whole run: a program written for the converter (the window) opens
// it as the converter's port. What it writes is read as the converter reads
// it; it gets the bus's frames in the framing of the converter's current
// configuration and the replies to its own bus status queries.
class ConverterFace : public QObject, public BridgeFace
{
    Q_OBJECT
public:
    // Frames the program sends go to `sendToBus`, with this face as their
    // origin; its commands go to `session`.
    ConverterFace(ConverterSession &session, bool readOnly, const FaceSendToBus &sendToBus, SendTurns &turns,
                  QObject *parent = nullptr);
    ~ConverterFace() override;

    bool open(QString *why);
    QString serialPath() const { return pty ? pty->serialPath() : QString(); }

    void deliver(const CanFrame &frame, qint64 usecsSinceEpoch, const void *origin) override;
    qint64 framesDropped() const override { return dropped; }
    qint64 framesRefused() const override { return refused; }
    void close() override;

signals:
    // The program sent a set-and-start: the converter's configuration from now on.
    void started(const SetStartSettings &settings);

private:
    void act(const QList<HostLinkReply> &replies);
    void toConverter(const HostCommand &command);
    void statusReplied(const QByteArray &payload, const void *asker);
    void hostLeft();

    ConverterSession &session;
    std::unique_ptr<PtyLine> pty;
    HostLinkSession link;
    SendTurns &turns;
    int openQueries = 0;           // asked by the program on the port now
    int repliesToDrop = 0;         // asked by a program that has gone
    qint64 dropped = 0;
    qint64 refused = 0;
};

#endif // TAVICON_CONVERTERFACE_H
