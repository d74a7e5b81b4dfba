#ifndef TAVICON_SENDTOBUS_H
#define TAVICON_SENDTOBUS_H

#include <functional>

#include "link/canframe.h"

// How a protocol session hands the program a frame its client asks to send,
// once the frame has passed the protocol's own rules. Only the program knows
// whether it runs read-only and how many bytes wait for the converter; it
// sends the frame at once or says why not.
enum class SendVerdict {
    Sent,
    ReadOnly,   // refused
    NoRoom,     // the converter's send queue is full: offer it again later
};

using SendToBus = std::function<SendVerdict(const CanFrame &frame)>;

#endif // TAVICON_SENDTOBUS_H
