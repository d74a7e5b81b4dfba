#include "support/frames.h"

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
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

QString idText(quint32 id)
{
    return QStringLiteral("0x%1").arg(id, 8, 16, QLatin1Char('0'));
}

QByteArray fixedFramesCountingUp(quint32 count)
{
    QByteArray bytes;
    for (quint32 id = 0; id < count; ++id)
        bytes += fixedBytes(id);
    return bytes;
}
