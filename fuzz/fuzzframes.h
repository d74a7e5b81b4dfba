#ifndef TAVICON_FUZZFRAMES_H
#define TAVICON_FUZZFRAMES_H

#include "fuzzcheck.h"
#include "link/canframe.h"

// A frame a client made for the bus: standard up to 7FF or extended up to
// 1FFFFFFF, 0..8 bytes, and both encodings well-formed frames that decode to
// the same frame.
inline void checkFrameForTheBus(const CanFrame &frame)
{
    const bool extended = frame.format == FrameFormat::Extended;
    check(extended || frame.format == FrameFormat::Standard);
    check(frame.identifier <= (extended ? 0x1FFFFFFFu : 0x7FFu));
    check(frame.length >= 0 && frame.length <= FixedLayout::MaxData && frame.data.size() == frame.length);

    const QByteArray fixed = encodeFixedFrame(frame);
    check(fixed.size() == FixedLayout::FrameSize && quint8(fixed.at(0)) == 0xAA && quint8(fixed.at(1)) == 0x55
          && quint8(fixed.at(2)) == FixedLayout::CodeCanData
          && quint8(fixed.at(19)) == commandSum(fixed.constData(), 2, 19));
    const CanFrame back = decodeFixedPayload(fixed.constData() + 2);
    check(back.identifier == frame.identifier && back.format == frame.format && back.remote == frame.remote
          && back.length == frame.length && back.data == frame.data);

    const QByteArray variable = encodeVariableFrame(frame);
    check(quint8(variable.at(0)) == 0xAA && VariableLayout::isControlByte(quint8(variable.at(1)))
          && variable.size() == VariableLayout::frameSize(quint8(variable.at(1)))
          && quint8(variable.back()) == 0x55);
    const CanFrame again = decodeVariableFrame(variable.constData());
    check(again.identifier == frame.identifier && again.format == frame.format && again.remote == frame.remote
          && again.length == frame.length && again.data == frame.data);
}

#endif // TAVICON_FUZZFRAMES_H
