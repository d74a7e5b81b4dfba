#ifndef TAVICON_HOSTSTREAMPARSER_H
#define TAVICON_HOSTSTREAMPARSER_H

#include <QByteArray>
#include <QList>

#include "link/canframe.h"

// One thing the host sent to the converter.
struct HostMessage
{
    enum class Kind { CanData, SetStart, StatusQuery, SpeedChange, Filter };
    Kind kind = Kind::CanData;
    QByteArray bytes;                        // the whole message as it came
    CanFrame frame;                          // CanData only
    FrameFraming framing = FrameFraming::Fixed;
};

// Finds the host's messages in the byte stream towards the converter: CAN data
// frames of both framings, the 20-byte commands (set-and-start, bus status
// query, port speed change) and the variable-length receive-ID filter command.
// Bytes that start nothing valid are skipped one at a time. The bytes of a
// message that is not complete yet are kept for the next delivery.
class HostStreamParser
{
public:
    QList<HostMessage> feed(const QByteArray &bytes);
    int pendingSize() const { return int(pending.size()); }
    // Forgets an incomplete message (its host has gone).
    void clear() { pending.clear(); }

private:
    QByteArray pending;
};

#endif // TAVICON_HOSTSTREAMPARSER_H
