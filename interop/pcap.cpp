#include "interop/pcap.h"

#include <QtEndian>
#include <cstring>

namespace {

constexpr quint32 ExtendedFlag = 0x80000000u;
constexpr quint32 RemoteFlag = 0x40000000u;

void putHost32(char *at, quint32 value)
{
    std::memcpy(at, &value, sizeof value);
}

void putHost16(char *at, quint16 value)
{
    std::memcpy(at, &value, sizeof value);
}

} // namespace

QByteArray pcapFileHeader()
{
    QByteArray header(Pcap::FileHeaderSize, '\0');
    char *h = header.data();
    putHost32(h, 0xA1B2C3D4u);
    putHost16(h + 4, 2);
    putHost16(h + 6, 4);
    // Bytes 8..15: time zone offset and timestamp accuracy, both 0.
    putHost32(h + 16, Pcap::FrameSize);
    putHost32(h + 20, Pcap::LinkTypeCanSocketCan);
    return header;
}

QByteArray pcapRecord(qint64 usecsSinceEpoch, const CanFrame &frame)
{
    QByteArray record(Pcap::RecordSize, '\0');
    char *r = record.data();
    putHost32(r, quint32(usecsSinceEpoch / 1000000));
    putHost32(r + 4, quint32(usecsSinceEpoch % 1000000));
    putHost32(r + 8, Pcap::FrameSize);
    putHost32(r + 12, Pcap::FrameSize);
    quint32 id = frame.identifier;
    if (frame.format == FrameFormat::Extended && !isErrorFrame(frame))
        id |= ExtendedFlag;
    if (frame.remote)
        id |= RemoteFlag;
    qToBigEndian(id, r + 16);
    r[20] = char(frame.length);
    // Bytes 21..23 stay zero (padding and reserved).
    if (!frame.remote)
        std::memcpy(r + 24, frame.data.constData(), size_t(qMin<qsizetype>(frame.data.size(), FixedLayout::MaxData)));
    return record;
}
