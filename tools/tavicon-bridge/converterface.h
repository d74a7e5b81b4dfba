#ifndef TAVICON_CONVERTERFACE_H
#define TAVICON_CONVERTERFACE_H

#include "link/hostlinksession.h"
#include "ptyface.h"

class ConverterSession;

// The bridge as the converter itself, on a pseudo-terminal that a program
// written for the converter (the window) opens as the converter's port. What
// it writes is read as the converter reads it; it gets the bus's frames in
// the framing of the converter's current configuration and the replies to its
// own bus status queries. When it closes the port, what it left is dropped.
class ConverterFace : public PtyFace
{
    Q_OBJECT
public:
    // Frames the program sends go to `sendToBus`, with this face as their
    // origin; its commands go to `session`.
    ConverterFace(ConverterSession &session, bool readOnly, const FaceSendToBus &sendToBus, SendTurns &turns,
                  QObject *parent = nullptr);

    void deliver(const CanFrame &frame, qint64 usecsSinceEpoch, const void *origin) override;

signals:
    // The program sent a set-and-start: the converter's configuration from now on.
    void started(const SetStartSettings &settings);

private:
    void clientWrote(const QByteArray &bytes) override { act(link.fromHost(bytes)); }
    void clientLeft() override;
    void act(const QList<HostLinkReply> &replies);
    void toConverter(const HostCommand &command);
    void statusReplied(const QByteArray &payload, const void *asker);

    ConverterSession &session;
    HostLinkSession link;
    int openQueries = 0;           // asked by the program on the port now
    int repliesToDrop = 0;         // asked by a program that has gone
};

#endif // TAVICON_CONVERTERFACE_H
