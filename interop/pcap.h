#ifndef TAVICON_PCAP_H
#define TAVICON_PCAP_H

#include <QByteArray>
#include <QtGlobal>

#include "link/canframe.h"

// Classic pcap files of SocketCAN frames (link type 227, LINKTYPE_CAN_SOCKETCAN),
// as Wireshark and tshark read them. The file header and the record headers
// are in this machine's byte order, which readers tell from the magic number.

namespace Pcap {
constexpr int FileHeaderSize = 24;
constexpr int FrameSize = 16;                    // struct can_frame
constexpr int RecordSize = 16 + FrameSize;
constexpr quint32 LinkTypeCanSocketCan = 227;
}

// Magic A1B2C3D4, version 2.4, zone and accuracy 0, snap length 16, link type 227.
QByteArray pcapFileHeader();

// One record of a classic CAN frame (isClassicCanFrame) or an error frame
// (isErrorFrame, its identifier with CanErrorFlag as it is): seconds and microseconds of
// `usecsSinceEpoch` (0 or later), captured and original length 16, then the
// identifier big-endian with 0x80000000 for extended and 0x40000000 for
// remote frames, the length, three zero bytes and the eight data bytes padded
// with zeros (all zeros for a remote frame).
QByteArray pcapRecord(qint64 usecsSinceEpoch, const CanFrame &frame);

#endif // TAVICON_PCAP_H
