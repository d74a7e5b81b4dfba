#include "support/ptypair.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    char name[256] = {};
    if (openpty(&masterFd, &slaveFd, name, nullptr, nullptr) != 0) {
        masterFd = slaveFd = -1;
        return;
    }
    // Raw from the start: no echo, no line editing, no CR/LF translation.
    termios tio {};
    tcgetattr(slaveFd, &tio);
    cfmakeraw(&tio);
    tcsetattr(slaveFd, TCSANOW, &tio);
    fcntl(masterFd, F_SETFL, fcntl(masterFd, F_GETFL) | O_NONBLOCK);
    serialPath = QString::fromLocal8Bit(name);
}

PtyPair::~PtyPair()
{
    if (masterFd >= 0)
        ::close(masterFd);
    if (slaveFd >= 0)
        ::close(slaveFd);
}

void PtyPair::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size() && masterFd >= 0) {
        const ssize_t n = ::write(masterFd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return;
        } else {
            // The line is full: let the program read.
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
    }
}

QByteArray PtyPair::read(int count, int timeoutMs)
{
    QByteArray got;
    QDeadlineTimer deadline(timeoutMs);
    while (got.size() < count && !deadline.hasExpired() && masterFd >= 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        char buf[4096];
        const ssize_t n = ::read(masterFd, buf, sizeof buf);
        if (n > 0)
            got.append(buf, n);
        else
            QThread::usleep(500);
    }
    return got;
}

QByteArray PtyPair::readFor(int ms)
{
    return read(INT_MAX, ms);
}

void PtyPair::closeConverterEnd()
{
    if (masterFd >= 0)
        ::close(masterFd);
    masterFd = -1;
}

void spinEventLoop(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
}
