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
    // The line has gone quiet: what is kept will not be completed. Frames among
    // the kept bytes (behind a candidate that turned out to be noise) are
    // reported; the rest is dropped.
    void flush(FrameSink &sink);
    // Forgets the kept bytes (port opened or closed).
    void reset() { pending.clear(); }
    int pendingSize() const { return int(pending.size()); }

private:
    // Scans d[0..n); returns the position of the first incomplete candidate,
    // or n. With `final`, incomplete candidates are skipped like noise.
    static int scan(const char *d, int n, FrameSink &sink, bool final);

    QByteArray pending;
};

#endif // TAVICON_FRAMESCANNER_H
