#ifndef TAVICON_CANFRAME_H
#define TAVICON_CANFRAME_H

#include <QByteArray>
#include <QMetaType>
#include <QtGlobal>

// Byte layouts of CAN frames on the serial line to the converter, in the
// fixed 20-byte protocol and in the variable-length protocol, and the 20-byte
// skeleton (0xAA 0x55, code, body, sum) shared by every converter command.

// A byte, so that a received row held per traffic cell stays small.
enum class FrameFormat : quint8 { Standard, Extended, Other };
enum class FrameFraming { Fixed, Variable };

struct CanFrame
{
    quint32 identifier = 0;            // as carried on the line, never masked
    FrameFormat format = FrameFormat::Standard;
    bool remote = false;
    int length = 0;                    // 0..8 sent and fixed; up to 15 variable
    QByteArray data;                   // `length` bytes in line order
};
Q_DECLARE_METATYPE(CanFrame)

// The largest identifier a frame format carries: 7FF standard, 1FFFFFFF
// extended (and other formats).
quint32 maxIdentifier(FrameFormat format);
// Whether a classic CAN frame carries `frame`: standard or extended with its
// identifier in range, 0..8 bytes, a data frame with all of its bytes. What the
// other CAN tools' formats and protocols show, and what goes onto the bus.
bool isClassicCanFrame(const CanFrame &frame);

// An error frame as Linux's CAN drivers report a change of the controller's
// state: extended, the identifier CanErrorFlag and the error classes, length 8.
// Not a frame on the bus: only the faces and files that show such reports
// take it.
constexpr quint32 CanErrorFlag = 0x20000000;
bool isErrorFrame(const CanFrame &frame);

namespace FixedLayout {
constexpr int FrameSize = 20;
constexpr int PayloadSize = 17;        // bytes 2..18
constexpr int MaxData = 8;
constexpr quint8 CodeCanData = 0x01;
constexpr quint8 CodeBusStatus = 0x04;
}

namespace VariableLayout {
constexpr int MaxData = 15;
constexpr int MaxFrameSize = MaxData + 7;
inline int frameSize(quint8 control)
{
    return (control & 0x0F) + ((control & 0x20) ? 7 : 5);
}
inline bool isControlByte(quint8 byte) { return (byte & 0xC0) == 0xC0; }
}

// Low 8 bits of the sum of bytes [from, to) of `bytes`.
quint8 commandSum(const char *bytes, int from, int to);

// The unsigned value of `bytes` bytes (1..4) at `in`, low byte first.
quint32 readLittleEndian(const char *in, int bytes);

// 0xAA 0x55 code body sum, the sum taken over the code and the body.
QByteArray buildSkeletonFrame(quint8 code, const QByteArray &body);
// The 20-byte form: `body` is padded with zeros (or cut) to bytes 3..18.
QByteArray buildFixedCommand(quint8 code, QByteArray body);

// Data beyond eight bytes is not encoded; the frame formats have no room for it.
QByteArray encodeFixedFrame(const CanFrame &frame);
QByteArray encodeVariableFrame(const CanFrame &frame);

// `payload` points at the 17 bytes 2..18 of a fixed frame whose header and
// sum the caller has checked. A length byte above 8 is clamped to 8.
CanFrame decodeFixedPayload(const char *payload);
inline CanFrame decodeFixedPayload(const QByteArray &payload) { return decodeFixedPayload(payload.constData()); }
// `frame` points at one complete variable-length frame whose end mark the caller has checked.
CanFrame decodeVariableFrame(const char *frame);
inline CanFrame decodeVariableFrame(const QByteArray &frame) { return decodeVariableFrame(frame.constData()); }

#endif // TAVICON_CANFRAME_H
