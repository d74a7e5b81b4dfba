#include "support/receivefixture.h"

#include "link/receivestats.h"

ReceiveFixture::ReceiveFixture()
{
    if (!converter.isValid())
        qFatal("no pseudo-terminal");
    openPort(converter.portName());
}

void ReceiveFixture::deliver(const QByteArray &bytes)
{
    const quint64 target = receiveStats().bytes + quint64(bytes.size());
    converter.write(bytes);
    if (!spinUntil([&] { return receiveStats().bytes >= target; }, 5000))
        qFatal("the window did not read what the converter wrote");
}

CanFrame makeFrame(quint32 id, FrameFormat format, const QByteArray &data, bool remote)
{
    CanFrame frame;
    frame.identifier = id;
    frame.format = format;
    frame.remote = remote;
    frame.length = int(data.size());
    frame.data = data;
    return frame;
}

QByteArray fixedBytes(quint32 id, FrameFormat format, const QByteArray &data, bool remote)
{
    return encodeFixedFrame(makeFrame(id, format, data, remote));
}

QByteArray variableBytes(quint32 id, FrameFormat format, const QByteArray &data, bool remote)
{
    return encodeVariableFrame(makeFrame(id, format, data, remote));
}
