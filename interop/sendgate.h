#ifndef TAVICON_SENDGATE_H
#define TAVICON_SENDGATE_H

#include <functional>

#include "link/canframe.h"

// Whether a frame a client asks to send may go to the bus now. The protocol
// sessions ask the program through a gate, because only the program knows
// whether it runs read-only and how many bytes wait for the converter.
enum class SendVerdict { Allowed, ReadOnly, QueueFull };

// Called once for each frame a client asks to send, after the frame passed
// the protocol's own rules; a session without a gate allows every frame.
using SendGate = std::function<SendVerdict(const CanFrame &frame)>;

#endif // TAVICON_SENDGATE_H
