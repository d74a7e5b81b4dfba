#include "canconfig/busstate.h"

namespace {
// Payload offsets of the reply.
constexpr int ReceiveErrors = 3;
constexpr int TransmitErrors = 4;
constexpr int BusOffFlag = 5;
constexpr int ErrorPassiveFlag = 6;
constexpr int ErrorWarningFlag = 7;

// Error warning from 96 errors on, error passive from 128.
constexpr int WarningLimit = 96;
constexpr int PassiveLimit = 128;

// The controller bits of the new state: the directions whose counter reached
// the state's limit, both when neither did.
quint8 controllerBits(BusState state, const BusStatus &s)
{
    if (state == BusState::ErrorActive)
        return CanErrorFrame::Active;
    const bool passive = state == BusState::ErrorPassive;
    const int limit = passive ? PassiveLimit : WarningLimit;
    const quint8 rx = passive ? CanErrorFrame::RxPassive : CanErrorFrame::RxWarning;
    const quint8 tx = passive ? CanErrorFrame::TxPassive : CanErrorFrame::TxWarning;
    const bool rxReached = s.receiveErrors >= limit;
    const bool txReached = s.transmitErrors >= limit;
    if (!rxReached && !txReached)
        return rx | tx;
    return (rxReached ? rx : 0) | (txReached ? tx : 0);
}
} // namespace

std::optional<BusStatus> readBusStatusReply(const QByteArray &payload)
{
    if (payload.size() < FixedLayout::PayloadSize)
        return std::nullopt;
    const auto byte = [&](int offset) { return int(quint8(payload.at(offset))); };
    BusStatus s;
    s.receiveErrors = byte(ReceiveErrors);
    s.transmitErrors = byte(TransmitErrors);
    s.busOff = byte(BusOffFlag) != 0;
    s.errorPassive = byte(ErrorPassiveFlag) != 0;
    s.errorWarning = byte(ErrorWarningFlag) != 0;
    return s;
}

BusState busState(const BusStatus &s)
{
    if (s.busOff)
        return BusState::BusOff;
    if (s.errorPassive)
        return BusState::ErrorPassive;
    return s.errorWarning ? BusState::ErrorWarning : BusState::ErrorActive;
}

std::optional<CanFrame> busErrorFrame(const std::optional<BusStatus> &last, const BusStatus &now)
{
    const BusStatus before = last.value_or(BusStatus());
    const BusState from = busState(before);
    const BusState to = busState(now);
    if (from == to && before.receiveErrors == now.receiveErrors && before.transmitErrors == now.transmitErrors)
        return std::nullopt;
    CanFrame frame;
    frame.format = FrameFormat::Extended;
    frame.length = 8;
    frame.data = QByteArray(8, '\0');
    quint32 classes = CanErrorFrame::Counters;
    if (to == BusState::BusOff && from != BusState::BusOff) {
        classes |= CanErrorFrame::BusOff;
    } else if (from == BusState::BusOff && to != BusState::BusOff) {
        classes |= CanErrorFrame::Restarted;
    } else if (from != to) {
        classes |= CanErrorFrame::Controller;
        frame.data[1] = char(controllerBits(to, now));
    }
    frame.identifier = CanErrorFrame::Flag | classes;
    frame.data[6] = char(now.transmitErrors);
    frame.data[7] = char(now.receiveErrors);
    return frame;
}
