#ifndef TAVICON_FRAMESCANNER_H
#define TAVICON_FRAMESCANNER_H

#include <QByteArray>

#include "link/canframe.h"

// Receives what the scanner finds, in stream order.
class FrameSink
{
public:
    virtual ~FrameSink() = default;
    virtual void canFrameReceived(const CanFrame &frame, FrameFraming framing) = 0;
    // A fixed 20-byte frame with a correct sum and a code other than CAN data;
    // `payload` points at its 17 bytes 2..18.
    virtual void fixedFrameReceived(const char *payload) = 0;
};

// Finds converter frames of both framings in the received byte stream.
// A frame is accepted when its header is right and, for the fixed framing, its
// sum matches, or for the variable framing, the end mark stands where its
// control byte says. Other bytes are skipped one at a time, so a frame that
// starts inside rejected bytes is still found.
//
// Deliveries split frames anywhere: the bytes from the first candidate that is
// not yet complete are kept (never more than one frame's length) and scanned
// again in front of the next delivery, so every frame is reported exactly once.
class FrameScanner
{
public:
    void feed(const QByteArray &bytes, FrameSink &sink);
    // Forgets the kept bytes (port opened or closed).
    void reset() { pending.clear(); }
    int pendingSize() const { return int(pending.size()); }

private:
    QByteArray pending;
};

#endif // TAVICON_FRAMESCANNER_H
