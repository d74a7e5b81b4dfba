#include "qtcanbus/canbusframes.h"

#include <QStringList>

#include "canconfig/busstate.h"

QCanBusFrame qtFrame(const CanFrame &frame, qint64 usecsSinceEpoch)
{
    QCanBusFrame out(frame.remote ? QCanBusFrame::RemoteRequestFrame : QCanBusFrame::DataFrame);
    out.setExtendedFrameFormat(frame.format == FrameFormat::Extended);
    out.setFrameId(frame.identifier);
    out.setPayload(frame.remote ? QByteArray(frame.length, '\0') : frame.data);
    out.setTimeStamp(QCanBusFrame::TimeStamp::fromMicroSeconds(usecsSinceEpoch));
    return out;
}

QCanBusFrame qtErrorFrame(const CanFrame &frame, qint64 usecsSinceEpoch)
{
    QCanBusFrame out(QCanBusFrame::ErrorFrame);
    out.setError(QCanBusFrame::FrameErrors::fromInt(int(frame.identifier & ~CanErrorFrame::Flag)));
    out.setPayload(frame.data);
    out.setTimeStamp(QCanBusFrame::TimeStamp::fromMicroSeconds(usecsSinceEpoch));
    return out;
}

QString sendRefusal(const QCanBusFrame &frame)
{
    const QCanBusFrame::FrameType type = frame.frameType();
    if (type != QCanBusFrame::DataFrame && type != QCanBusFrame::RemoteRequestFrame)
        return QStringLiteral("only data and remote frames can be sent");
    if (frame.hasFlexibleDataRateFormat())
        return QStringLiteral("the converter sends classic CAN frames only, of 0 to 8 bytes");
    if (!frame.isValid())
        return QStringLiteral("the identifier does not fit its format (standard up to 7FF, extended up to 1FFFFFFF)");
    return QString();
}

CanFrame converterFrame(const QCanBusFrame &frame)
{
    CanFrame out;
    out.identifier = frame.frameId();
    out.format = frame.hasExtendedFrameFormat() ? FrameFormat::Extended : FrameFormat::Standard;
    out.remote = frame.frameType() == QCanBusFrame::RemoteRequestFrame;
    out.data = frame.payload();
    out.length = int(out.data.size());
    return out;
}

bool passesFilters(const QList<QCanBusDevice::Filter> &filters, const QCanBusFrame &frame)
{
    if (filters.isEmpty())
        return true;
    const QCanBusDevice::Filter::FormatFilter format = frame.hasExtendedFrameFormat()
        ? QCanBusDevice::Filter::MatchExtendedFormat : QCanBusDevice::Filter::MatchBaseFormat;
    for (const QCanBusDevice::Filter &f : filters) {
        if ((f.frameId & f.frameIdMask) == (frame.frameId() & f.frameIdMask)
            && (f.type == QCanBusFrame::InvalidFrame || f.type == frame.frameType()) && (f.format & format))
            return true;
    }
    return false;
}

QString errorFrameText(const QCanBusFrame &frame)
{
    const quint32 classes = quint32(frame.error().toInt());
    const QByteArray data = frame.payload();
    if (frame.frameType() != QCanBusFrame::ErrorFrame || data.size() < 8)
        return QString();
    QStringList parts;
    if (classes & CanErrorFrame::BusOff)
        parts << QStringLiteral("bus off");
    if (classes & CanErrorFrame::Restarted)
        parts << QStringLiteral("bus off left");
    if (classes & CanErrorFrame::Controller) {
        const quint8 bits = quint8(data.at(1));
        const auto side = [bits](quint8 rx, quint8 tx) {
            return (bits & rx) && (bits & tx) ? QStringLiteral("receive and transmit")
                                              : (bits & rx) ? QStringLiteral("receive") : QStringLiteral("transmit");
        };
        if (bits & CanErrorFrame::Active)
            parts << QStringLiteral("error active");
        else if (bits & (CanErrorFrame::RxPassive | CanErrorFrame::TxPassive))
            parts << QStringLiteral("error passive (%1)").arg(side(CanErrorFrame::RxPassive, CanErrorFrame::TxPassive));
        else
            parts << QStringLiteral("error warning (%1)").arg(side(CanErrorFrame::RxWarning, CanErrorFrame::TxWarning));
    }
    parts << QStringLiteral("transmit errors %1, receive errors %2").arg(quint8(data.at(6))).arg(quint8(data.at(7)));
    return parts.join(QStringLiteral(", "));
}
