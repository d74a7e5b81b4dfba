#include "support/rawclient.h"

#include <fcntl.h>
#include <unistd.h>

#include "support/ptypair.h"

RawClient::RawClient(const QString &where)
{
    if (where.startsWith('/')) {
        fd = ::open(qPrintable(where), O_RDWR | O_NOCTTY | O_NONBLOCK);
        return;
    }
    socket.connectToHost(where.section(':', 0, 0), quint16(where.section(':', 1).toUInt()));
    socket.waitForConnected(3000);
}

RawClient::~RawClient()
{
    if (fd >= 0)
        ::close(fd);
}

bool RawClient::write(const QByteArray &bytes)
{
    qsizetype done = fd >= 0 ? 0 : socket.write(bytes);
    return spinUntil([&] {
        const ssize_t n = fd >= 0 ? ::write(fd, bytes.constData() + done, size_t(bytes.size() - done)) : 0;
        done += n > 0 ? n : 0;
        return done == bytes.size() && socket.bytesToWrite() == 0;
    }, 30000);
}

QByteArray RawClient::readFor(int ms)
{
    QByteArray got;
    spinUntil([&] {
        char buf[4096];
        for (ssize_t n; fd >= 0 && (n = ::read(fd, buf, sizeof buf)) > 0;)
            got.append(buf, int(n));
        got += socket.readAll();
        return false;
    }, ms);
    return got + socket.readAll();
}

bool RawClient::isClosed() const
{
    return fd < 0 && socket.state() != QAbstractSocket::ConnectedState;
}
