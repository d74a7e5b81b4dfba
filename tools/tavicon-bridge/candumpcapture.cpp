#include "candumpcapture.h"

#include <QDateTime>
#include <cstdio>

#include "interop/canlogformats.h"
#include "interop/pcap.h"

namespace {
constexpr int FlushIntervalMs = 1000;
constexpr qsizetype FlushBytes = 256 * 1024;
}

CandumpCapture::CandumpCapture(const QString &name, Format f, QObject *parent)
    : QObject(parent)
    , format(f)
    , channel(name)
{
    flushTimer.setInterval(FlushIntervalMs);
    connect(&flushTimer, &QTimer::timeout, this, &CandumpCapture::flush);
}

CandumpCapture::~CandumpCapture()
{
    close();
}

bool CandumpCapture::open(const QString &path, QString *why)
{
    file.setFileName(path);
    // A pcap starts with its own header: a new file.
    if (!file.open(QIODevice::WriteOnly | (format == Pcap ? QIODevice::Truncate : QIODevice::Append))) {
        *why = file.errorString();
        return false;
    }
    if (format == Pcap) {
        pending = pcapFileHeader();
        flush();
    }
    flushTimer.start();
    return true;
}

bool CandumpCapture::add(const CanFrame &frame, qint64 usecsSinceEpoch)
{
    if (!file.isOpen() || frame.format == FrameFormat::Other || frame.length > FixedLayout::MaxData)
        return false;
    if (format == Pcap) {
        if (!pcapCarries(frame))
            return false;
        pending += pcapRecord(usecsSinceEpoch, frame);
    } else {
        pending += candumpLine(QDateTime::fromMSecsSinceEpoch(usecsSinceEpoch / 1000, Qt::UTC), channel, frame);
    }
    if (pending.size() >= FlushBytes)
        flush();
    return true;
}

bool CandumpCapture::flush()
{
    if (pending.isEmpty() || !file.isOpen())
        return true;
    const bool ok = file.write(pending) == pending.size() && file.flush();
    pending.clear();
    if (!ok && !failed) {
        std::fprintf(stderr, "tavicon-bridge: writing %s failed: %s\n", qPrintable(file.fileName()),
                     qPrintable(file.errorString()));
        failed = true;
    }
    return ok;
}

void CandumpCapture::close()
{
    flushTimer.stop();
    flush();
    file.close();
}
