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
    const int n = int(chunk.size());
    const int stop = scan(chunk.constData(), n, sink, false);
    if (stop < n)
        pending = chunk.mid(stop);
}

void FrameScanner::flush(FrameSink &sink)
{
    const QByteArray kept = pending;
    pending.clear();
    scan(kept.constData(), int(kept.size()), sink, true);
}

int FrameScanner::scan(const char *d, int n, FrameSink &sink, bool final)
{
    int pos = 0;
    while (pos < n) {
        if (quint8(d[pos]) != 0xAA) {
            ++pos;
            continue;
        }
        if (pos + 1 >= n)
            return final ? n : pos;    // a lone 0xAA at the end may start a frame
        const quint8 second = quint8(d[pos + 1]);
        int length = 0;
        if (second == 0x55)
            length = FixedLayout::FrameSize;
        else if (VariableLayout::isControlByte(second))
            length = VariableLayout::frameSize(second);
        if (length == 0) {
            ++pos;
            continue;
        }
        if (pos + length > n) {
            if (!final)
                return pos;
            ++pos;
            continue;
        }
        if (second == 0x55) {
            if (commandSum(d, pos + 2, pos + 19) != quint8(d[pos + 19])) {
                ++pos;
                continue;
            }
            const char *payload = d + pos + 2;
            if (quint8(payload[0]) == FixedLayout::CodeCanData)
                sink.canFrameReceived(decodeFixedPayload(payload), FrameFraming::Fixed);
            else
                sink.fixedFrameReceived(payload);
        } else {
            if (quint8(d[pos + length - 1]) != 0x55) {
                ++pos;
                continue;
            }
            sink.canFrameReceived(decodeVariableFrame(d + pos), FrameFraming::Variable);
        }
        pos += length;
    }
    return n;
}
