#include "candumpcapture.h"

#include <QDateTime>
#include <cstdio>

#include "interop/canlogformats.h"

namespace {
constexpr int FlushIntervalMs = 1000;
constexpr qsizetype FlushBytes = 256 * 1024;
}

CandumpCapture::CandumpCapture(const QString &name, QObject *parent)
    : QObject(parent)
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
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        *why = file.errorString();
        return false;
    }
    flushTimer.start();
    return true;
}

bool CandumpCapture::add(const CanFrame &frame, qint64 usecsSinceEpoch)
{
    if (!file.isOpen() || frame.format == FrameFormat::Other || frame.length > FixedLayout::MaxData)
        return false;
    pending += candumpLine(QDateTime::fromMSecsSinceEpoch(usecsSinceEpoch / 1000, Qt::UTC), channel, frame);
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
