#include "link/framescanner.h"

void FrameScanner::feed(const QByteArray &bytes, FrameSink &sink)
{
    QByteArray chunk;
    if (pending.isEmpty()) {
        chunk = bytes;                 // shared, not copied
    } else {
        chunk = pending + bytes;
        pending.clear();
    }
    const char *d = chunk.constData();
    const int n = int(chunk.size());

    int pos = 0;
    while (pos < n) {
        if (quint8(d[pos]) != 0xAA) {
            ++pos;
            continue;
        }
        if (pos + 1 >= n)
            break;                     // a lone 0xAA at the end may start a frame
        const quint8 second = quint8(d[pos + 1]);
        if (second == 0x55) {
            if (pos + FixedLayout::FrameSize > n)
                break;
            const char *payload = d + pos + 2;
            if (commandSum(d, pos + 2, pos + 19) != quint8(d[pos + 19])) {
                ++pos;
                continue;
            }
            if (quint8(payload[0]) == FixedLayout::CodeCanData)
                sink.canFrameReceived(decodeFixedPayload(payload), FrameFraming::Fixed);
            else
                sink.fixedFrameReceived(payload);
            pos += FixedLayout::FrameSize;
        } else if (VariableLayout::isControlByte(second)) {
            const int len = VariableLayout::frameSize(second);
            if (pos + len > n)
                break;
            if (quint8(d[pos + len - 1]) != 0x55) {
                ++pos;
                continue;
            }
            sink.canFrameReceived(decodeVariableFrame(d + pos), FrameFraming::Variable);
            pos += len;
        } else {
            ++pos;
        }
    }
    if (pos < n)
        pending = chunk.mid(pos);
}
