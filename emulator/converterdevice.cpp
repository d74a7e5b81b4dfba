#include "emulator/converterdevice.h"

#include "emulator/consoleoutput.h"
#include "canconfig/convertercommands.h"
#include "console/ptyline.h"

#include <iterator>

namespace {

// The line speeds of the port speed change command, by index.
constexpr int LineSpeeds[] = {2000000, 1228800, 115200, 38400, 19200, 9600};

QByteArray speedText(quint8 index)
{
    if (index >= std::size(LineSpeeds))
        return "none";
    return QByteArray::number(LineSpeeds[index]);
}

QByteArray hex2(quint8 value)
{
    return QByteArray::number(value, 16).rightJustified(2, '0');
}

QByteArray canLine(const HostMessage &m)
{
    const CanFrame &f = m.frame;
    const char *format = f.format == FrameFormat::Standard ? "std"
                       : f.format == FrameFormat::Extended ? "ext"
                                                           : "other";
    return QByteArray("RX CAN ") + (m.framing == FrameFraming::Fixed ? "fixed " : "variable ")
         + format + (f.remote ? " remote" : " data")
         + " id=" + QByteArray::number(f.identifier, 16).rightJustified(8, '0')
         + " len=" + QByteArray::number(f.length)
         + " data=" + f.data.toHex();
}

} // namespace

ConverterDevice::ConverterDevice(PtyLine &line, QObject *parent)
    : QObject(parent)
    , line(line)
{
    connect(&line, &PtyLine::hostWrote, this, &ConverterDevice::received);
}

QByteArray ConverterDevice::reportLine(const HostMessage &m)
{
    const quint8 code = m.bytes.size() > 2 ? quint8(m.bytes.at(2)) : 0;
    switch (m.kind) {
    case HostMessage::Kind::CanData:
        return canLine(m);
    case HostMessage::Kind::SetStart:
        return "RX SETSTART code=" + hex2(code) + " bytes=" + m.bytes.toHex();
    case HostMessage::Kind::StatusQuery:
        return "RX STATUSQUERY";
    case HostMessage::Kind::SpeedChange:
        return "RX SPEED index=" + QByteArray::number(quint8(m.bytes.at(3)))
             + " speed=" + speedText(quint8(m.bytes.at(3)));
    case HostMessage::Kind::Filter:
        return "RX FILTER code=" + hex2(code) + " count=" + QByteArray::number(quint8(m.bytes.at(3)))
             + " bytes=" + m.bytes.toHex();
    }
    return QByteArray();
}

void ConverterDevice::received(const QByteArray &bytes)
{
    const QList<HostMessage> messages = parser.feed(bytes);
    for (const HostMessage &m : messages)
        handle(m);
}

void ConverterDevice::handle(const HostMessage &m)
{
    printLine(reportLine(m));
    switch (m.kind) {
    case HostMessage::Kind::CanData:
        if (loopbackMode)
            line.send(currentFraming == FrameFraming::Fixed ? encodeFixedFrame(m.frame)
                                                            : encodeVariableFrame(m.frame));
        break;
    case HostMessage::Kind::SetStart:
        applySetStart(m.bytes);
        break;
    case HostMessage::Kind::StatusQuery:
        line.send(busStatusReply(status));
        break;
    case HostMessage::Kind::SpeedChange:
        break;      // a pseudo-terminal has no line speed to change
    case HostMessage::Kind::Filter:
        receiveFilter.program(m.bytes);
        break;
    }
}

void ConverterDevice::applySetStart(const QByteArray &command)
{
    const std::optional<SetStartSettings> settings = parseSetStartCommand(command);
    if (!settings)
        return;
    currentFraming = settings->variableFraming ? FrameFraming::Variable : FrameFraming::Fixed;
    loopbackMode = ControllerMode::fromIndex(settings->modeIndex).loopback;
}
