// The stream scanner must report the same frames, in the same order, however
// the stream is split into deliveries, and keep fewer bytes than one frame.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdlib>

#include "link/framescanner.h"

namespace {

struct Recorder : FrameSink
{
    QStringList events;
    void canFrameReceived(const CanFrame &frame, FrameFraming framing) override
    {
        events << QStringLiteral("%1 %2 %3 %4 %5 %6")
                      .arg(int(framing))
                      .arg(frame.identifier)
                      .arg(int(frame.format))
                      .arg(frame.remote)
                      .arg(frame.length)
                      .arg(QString::fromLatin1(frame.data.toHex()));
        if (frame.length != frame.data.size() || frame.length > VariableLayout::MaxData)
            std::abort();
    }
    void fixedFrameReceived(const char *payload) override
    {
        events << QString::fromLatin1(QByteArray(payload, FixedLayout::PayloadSize).toHex());
    }
};

} // namespace

// The first byte chooses the split points; the rest is the stream.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const quint8 splitSeed = data[0];
    const QByteArray stream(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    FrameScanner whole;
    Recorder wholeEvents;
    whole.feed(stream, wholeEvents);
    whole.flush(wholeEvents);

    FrameScanner pieces;
    Recorder pieceEvents;
    quint32 state = splitSeed | 1u;
    for (qsizetype at = 0; at < stream.size();) {
        state = state * 1103515245u + 12345u;
        const qsizetype step = qsizetype((state >> 16) % 24) + 1;
        pieces.feed(stream.mid(at, step), pieceEvents);
        if (pieces.pendingSize() >= VariableLayout::MaxFrameSize)
            std::abort();
        at += step;
    }
    pieces.flush(pieceEvents);
    if (pieces.pendingSize() != 0 || pieceEvents.events != wholeEvents.events)
        std::abort();
    return 0;
}
