#include "link/serialline.h"

#include <cerrno>
#ifdef Q_OS_UNIX
#include <poll.h>
#endif

bool serialLineMerelyFull(const QSerialPort &port, int systemError)
{
#ifdef Q_OS_UNIX
    if (systemError != EAGAIN && systemError != EWOULDBLOCK)
        return false;
    if (!port.isOpen() || port.bytesToWrite() == 0)
        return false;
    pollfd line { int(port.handle()), POLLIN | POLLOUT, 0 };
    return ::poll(&line, 1, 0) >= 0 && !(line.revents & (POLLHUP | POLLERR | POLLNVAL));
#else
    Q_UNUSED(port);
    Q_UNUSED(systemError);
    return false;
#endif
}
