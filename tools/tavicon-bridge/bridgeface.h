#ifndef TAVICON_BRIDGEFACE_H
#define TAVICON_BRIDGEFACE_H

#include <QtGlobal>
#include <functional>

#include "interop/sendtobus.h"
#include "link/canframe.h"

// What the bridge gives the bus to: a protocol face and its clients, or a
// capture file.
class BridgeFace
{
public:
    virtual ~BridgeFace() = default;
    // A frame seen on the bus at `usecsSinceEpoch`. `origin` is the client that
    // sent it, which does not get it back; nullptr for the converter's frames.
    virtual void deliver(const CanFrame &frame, qint64 usecsSinceEpoch, const void *origin) = 0;
    // Frames not given to a client or file: it did not read, or its format
    // cannot show them.
    virtual qint64 framesDropped() const = 0;
    // Frames a client sent that did not go to the bus.
    virtual qint64 framesRefused() const { return 0; }
    // At the end: clients are hung up, files written whole.
    virtual void close() = 0;
};

// How a face hands the bridge a frame its client (`origin`) sent.
using FaceSendToBus = std::function<SendVerdict(const CanFrame &frame, const void *origin)>;

#endif // TAVICON_BRIDGEFACE_H
