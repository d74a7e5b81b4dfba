#include "pcapstream.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>


namespace {
constexpr qsizetype MaxPending = 32 * 1024 * 1024;
}

PcapStream::PcapStream(QObject *parent)
    : QObject(parent)
{
}

PcapStream::~PcapStream()
{
    delete writable;
    if (fd >= 0)
        ::close(fd);
}

bool PcapStream::open(const QString &path, QString *why)
{
    fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0 || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) != 0) {
        *why = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    writable = new QSocketNotifier(fd, QSocketNotifier::Write);
    writable->setEnabled(false);
    connect(writable, &QSocketNotifier::activated, this, &PcapStream::writeNow);
    // At once: the reader takes nothing else, standard error included, before it.
    pending = writer->header(0);
    writeNow();
    if (fd < 0) {
        *why = QStringLiteral("its reader closed it");
        return false;
    }
    return true;
}

void PcapStream::add(const CanFrame &frame, qint64 usecsSinceEpoch)
{
    if (fd < 0)
        return;
    const std::optional<QByteArray> record = writer->record(usecsSinceEpoch, FrameDirection::Received, frame);
    if (!record) {
        ++uncarried;
        return;
    }
    if (pending.size() >= MaxPending) {
        ++droppedRecords;
        return;
    }
    pending += *record;
    if (!scheduled && !writable->isEnabled()) {
        scheduled = true;
        QTimer::singleShot(0, this, &PcapStream::writeNow);
    }
}

void PcapStream::writeNow()
{
    scheduled = false;
    qsizetype done = 0;
    while (done < pending.size()) {
        const ssize_t n = ::write(fd, pending.constData() + done, size_t(pending.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            break;
        } else {                            // EPIPE: Wireshark has stopped reading
            pending.clear();
            writable->setEnabled(false);
            ::close(fd);
            fd = -1;
            emit readerGone();
            return;
        }
    }
    pending.remove(0, done);
    writable->setEnabled(!pending.isEmpty());
}
