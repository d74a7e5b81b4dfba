#include "console/ptyline.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {
constexpr qsizetype ChunkSize = 64 * 1024;
}

PtyLine::PtyLine(QObject *parent)
    : QObject(parent)
{
}

PtyLine::~PtyLine()
{
    delete readNotifier;
    delete writeNotifier;
    delete watchNotifier;
    if (watchFd >= 0)
        ::close(watchFd);
    if (masterFd >= 0)
        ::close(masterFd);
    if (serialFd >= 0)
        ::close(serialFd);
}

bool PtyLine::open(QString *why)
{
    char name[256] = {};
    if (openpty(&masterFd, &serialFd, name, nullptr, nullptr) != 0) {
        *why = QStringLiteral("openpty failed: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        masterFd = serialFd = -1;
        return false;
    }
    // Raw serial end: no echo, no line editing, no newline translation.
    termios tio {};
    tcgetattr(serialFd, &tio);
    cfmakeraw(&tio);
    tcsetattr(serialFd, TCSANOW, &tio);
    fcntl(masterFd, F_SETFL, fcntl(masterFd, F_GETFL) | O_NONBLOCK);
    fcntl(masterFd, F_SETFD, FD_CLOEXEC);
    fcntl(serialFd, F_SETFD, FD_CLOEXEC);
    path = QString::fromLocal8Bit(name);

    readNotifier = new QSocketNotifier(masterFd, QSocketNotifier::Read);
    connect(readNotifier, &QSocketNotifier::activated, this, &PtyLine::readReady);
    writeNotifier = new QSocketNotifier(masterFd, QSocketNotifier::Write);
    writeNotifier->setEnabled(false);
    connect(writeNotifier, &QSocketNotifier::activated, this, &PtyLine::writeReady);

    // Our own serial end was opened before the watch: only others' opens count.
    watchFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watchFd >= 0 && inotify_add_watch(watchFd, name, IN_OPEN | IN_CLOSE) >= 0) {
        watchNotifier = new QSocketNotifier(watchFd, QSocketNotifier::Read);
        connect(watchNotifier, &QSocketNotifier::activated, this, &PtyLine::holdersChanged);
    }
    return true;
}

void PtyLine::setReading(bool on)
{
    reading = on;
    if (readNotifier)
        readNotifier->setEnabled(on);
}

void PtyLine::holdersChanged()
{
    alignas(inotify_event) char buf[4096];
    const ssize_t n = ::read(watchFd, buf, sizeof buf);
    for (ssize_t at = 0; at < n;) {
        const auto *event = reinterpret_cast<const inotify_event *>(buf + at);
        at += ssize_t(sizeof(inotify_event) + event->len);
        if (event->mask & IN_OPEN) {
            ++holders;
        } else if ((event->mask & IN_CLOSE) && holders > 0 && --holders == 0) {
            readAllNow();           // what the departing program wrote is still its own
            emit hostClosed();
        }
    }
}

void PtyLine::send(const QByteArray &bytes)
{
    if (bytes.isEmpty() || !writeNotifier)
        return;
    queue.append(bytes);
    queuedTotal += bytes.size();
    // Written from the event loop only, so senders never re-enter through bytesWritten.
    writeNotifier->setEnabled(true);
}

qint64 PtyLine::unreadByHost() const
{
    int waiting = 0;
    if (serialFd < 0 || ::ioctl(serialFd, FIONREAD, &waiting) != 0)
        return 0;
    return waiting;
}

void PtyLine::discardUnread()
{
    queue.resize(0);
    queueStart = 0;
    if (writeNotifier)
        writeNotifier->setEnabled(false);
    if (serialFd >= 0)
        ::tcflush(serialFd, TCIFLUSH);
}

void PtyLine::readReady()
{
    char buf[ChunkSize];
    while (reading || draining) {
        const ssize_t n = ::read(masterFd, buf, sizeof buf);
        if (n > 0) {
            emit hostWrote(QByteArray(buf, int(n)));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            // Should not happen while the serial end is held open; stop watching
            // instead of spinning on the error.
            std::fprintf(stderr, "%s: reading the pty failed: %s\n",
                         qPrintable(QCoreApplication::applicationName()), std::strerror(errno));
            readNotifier->setEnabled(false);
        }
        return;
    }
}

void PtyLine::readAllNow()
{
    draining = true;
    readReady();
    draining = false;
}

void PtyLine::writeReady()
{
    bool wrote = false;
    while (queueStart < queue.size()) {
        const qsizetype chunk = qMin(queue.size() - queueStart, ChunkSize);
        const ssize_t n = ::write(masterFd, queue.constData() + queueStart, size_t(chunk));
        if (n > 0) {
            queueStart += n;
            writtenTotal += n;
            wrote = true;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            std::fprintf(stderr, "%s: writing the pty failed: %s\n",
                         qPrintable(QCoreApplication::applicationName()), std::strerror(errno));
            writeNotifier->setEnabled(false);
            return;
        }
        break;                      // full: the notifier calls again when there is room
    }
    if (queueStart == queue.size()) {
        queue.resize(0);          // keeps the allocation for the next bytes
        queueStart = 0;
        writeNotifier->setEnabled(false);
    } else if (queueStart > ChunkSize && queueStart * 2 > queue.size()) {
        queue.remove(0, queueStart);
        queueStart = 0;
    }
    if (wrote)
        emit bytesWritten();
}
