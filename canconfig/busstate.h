#ifndef TAVICON_BUSSTATE_H
#define TAVICON_BUSSTATE_H

#include <QByteArray>
#include <optional>

#include "link/canframe.h"

// The CAN controller's state as the bus status reply carries it, and the
// error frame a change of it makes, as Linux's CAN drivers report one.

struct BusStatus
{
    int receiveErrors = 0;     // 0..255
    int transmitErrors = 0;    // 0..255
    bool busOff = false;
    bool errorPassive = false;
    bool errorWarning = false;

    friend bool operator==(const BusStatus &a, const BusStatus &b)
    {
        return a.receiveErrors == b.receiveErrors && a.transmitErrors == b.transmitErrors && a.busOff == b.busOff
            && a.errorPassive == b.errorPassive && a.errorWarning == b.errorWarning;
    }
    friend bool operator!=(const BusStatus &a, const BusStatus &b) { return !(a == b); }
};

// The reply read from its 17 payload bytes 2..18 (code byte first): byte 5 the
// receive errors, 6 the transmit errors, 7 bus-off, 8 error passive, 9 error
// warning (any non-zero flag byte is set). Nothing for a shorter payload.
std::optional<BusStatus> readBusStatusReply(const QByteArray &payload);

// The flags by precedence: bus-off, then error passive, then error warning.
enum class BusState { ErrorActive, ErrorWarning, ErrorPassive, BusOff };
BusState busState(const BusStatus &status);

namespace CanErrorFrame {
constexpr quint32 Flag = CanErrorFlag;      // CAN_ERR_FLAG
constexpr quint32 Controller = 0x004;       // CAN_ERR_CRTL
constexpr quint32 BusOff = 0x040;           // CAN_ERR_BUSOFF
constexpr quint32 Restarted = 0x100;        // CAN_ERR_RESTARTED
constexpr quint32 Counters = 0x200;         // CAN_ERR_CNT
// data[1] with Controller
constexpr quint8 RxWarning = 0x04;
constexpr quint8 TxWarning = 0x08;
constexpr quint8 RxPassive = 0x10;
constexpr quint8 TxPassive = 0x20;
constexpr quint8 Active = 0x40;
}

// The error frame for `now` after `last` (nothing yet: an error-active bus
// with both counters 0), or nothing when neither the state nor a counter
// changed. Identifier Flag | classes (Counters always), extended, length 8:
// data[1] the controller bits with the Controller class, data[6] the transmit
// and data[7] the receive counter.
std::optional<CanFrame> busErrorFrame(const std::optional<BusStatus> &last, const BusStatus &now);

#endif // TAVICON_BUSSTATE_H
