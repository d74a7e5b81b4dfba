#include "capturefile.h"

#include <cstdio>

#include "session/convertersession.h"

namespace {
constexpr int FlushIntervalMs = 1000;
constexpr qsizetype FlushBytes = 256 * 1024;
}

CaptureFile::CaptureFile(CanLogFormat format, const QString &channel, QObject *parent)
    : QObject(parent)
    , writer(makeFrameLogWriter(format, channel))
{
    flushTimer.setInterval(FlushIntervalMs);
    connect(&flushTimer, &QTimer::timeout, this, &CaptureFile::flush);
}

CaptureFile::~CaptureFile()
{
    close();
}

bool CaptureFile::open(const QString &path, QString *why)
{
    file.setFileName(path);
    // A binary format starts with its own header: a new file; text logs grow.
    if (!file.open(QIODevice::WriteOnly | (writer->isBinary() ? QIODevice::Truncate : QIODevice::Append))) {
        *why = file.errorString();
        return false;
    }
    pending = writer->header(currentUsecsSinceEpoch());
    flush();
    flushTimer.start();
    return true;
}

void CaptureFile::deliver(const CanFrame &frame, qint64 usecsSinceEpoch, const void *origin)
{
    if (!file.isOpen())
        return;
    const std::optional<QByteArray> record =
        writer->record(usecsSinceEpoch, origin ? FrameDirection::Sent : FrameDirection::Received, frame);
    if (!record) {
        ++dropped;
        return;
    }
    pending += *record;
    if (pending.size() >= FlushBytes)
        flush();
}

void CaptureFile::flush()
{
    if (pending.isEmpty() || !file.isOpen())
        return;
    const bool ok = file.write(pending) == pending.size() && file.flush();
    pending.clear();
    if (!ok && !failed) {
        std::fprintf(stderr, "tavicon-bridge: writing %s failed: %s\n", qPrintable(file.fileName()),
                     qPrintable(file.errorString()));
        failed = true;
    }
}

void CaptureFile::close()
{
    flushTimer.stop();
    if (!file.isOpen())
        return;
    pending += writer->end();
    flush();
    file.close();
}
