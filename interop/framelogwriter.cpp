#include "interop/framelogwriter.h"

#include <QDateTime>

#include "interop/canlogformats.h"
#include "interop/pcap.h"

namespace {

class CandumpWriter : public FrameLogWriter
{
public:
    explicit CandumpWriter(const QString &name) : channel(name) {}
    QByteArray header(qint64) override { return QByteArray(); }
    std::optional<QByteArray> record(qint64 usecs, FrameDirection, const CanFrame &frame) override
    {
        if (!isClassicCanFrame(frame) && !isErrorFrame(frame))
            return std::nullopt;
        return candumpLine(usecs, channel, frame);
    }

private:
    QString channel;
};

class AscWriter : public FrameLogWriter
{
public:
    QByteArray header(qint64 startUsecs) override
    {
        start = startUsecs;
        return ascHeader(QDateTime::fromMSecsSinceEpoch(startUsecs / 1000));
    }
    std::optional<QByteArray> record(qint64 usecs, FrameDirection direction, const CanFrame &frame) override
    {
        if (!isClassicCanFrame(frame))
            return std::nullopt;
        return ascLine(usecs - start, direction == FrameDirection::Sent, frame);
    }

private:
    qint64 start = 0;
};

class PcapWriter : public FrameLogWriter
{
public:
    QByteArray header(qint64) override { return pcapFileHeader(); }
    std::optional<QByteArray> record(qint64 usecs, FrameDirection, const CanFrame &frame) override
    {
        if (!isClassicCanFrame(frame) && !isErrorFrame(frame))
            return std::nullopt;
        return pcapRecord(usecs, frame);
    }
    bool isBinary() const override { return true; }
};

} // namespace

std::optional<CanLogFormat> canLogFormatNamed(const QString &name)
{
    if (name == QLatin1String("candump"))
        return CanLogFormat::Candump;
    if (name == QLatin1String("asc"))
        return CanLogFormat::Asc;
    if (name == QLatin1String("pcap"))
        return CanLogFormat::Pcap;
    return std::nullopt;
}

std::unique_ptr<FrameLogWriter> makeFrameLogWriter(CanLogFormat format, const QString &channel)
{
    switch (format) {
    case CanLogFormat::Asc:
        return std::make_unique<AscWriter>();
    case CanLogFormat::Pcap:
        return std::make_unique<PcapWriter>();
    case CanLogFormat::Candump:
        break;
    }
    return std::make_unique<CandumpWriter>(channel);
}
