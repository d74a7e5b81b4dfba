#include "support/serialclient.h"

#include <fcntl.h>
#include <unistd.h>

#include "support/ptypair.h"

SerialClient::SerialClient(const QString &path)
    : fd(::open(qPrintable(path), O_RDWR | O_NOCTTY | O_NONBLOCK))
{
}

SerialClient::~SerialClient()
{
    close();
}

bool SerialClient::write(const QByteArray &bytes, int timeoutMs)
{
    qsizetype done = 0;
    return spinUntil([&] {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        done += n > 0 ? n : 0;
        return done == bytes.size();
    }, timeoutMs);
}

QByteArray SerialClient::readFor(int ms)
{
    QByteArray got;
    spinUntil([&] {
        char buf[4096];
        for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;)
            got.append(buf, int(n));
        return false;
    }, ms);
    return got;
}

void SerialClient::close()
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}
