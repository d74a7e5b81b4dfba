#include "console/serialendlink.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

bool SerialEndLink::create(const QString &path, const QString &serialEnd, QString *why)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(native.constData(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            *why = QStringLiteral("%1 exists and is not a symbolic link").arg(path);
            return false;
        }
        ::unlink(native.constData());
    }
    if (::symlink(QFile::encodeName(serialEnd).constData(), native.constData()) != 0) {
        *why = QStringLiteral("cannot create link %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    linkPath = path;
    target = serialEnd;
    return true;
}

SerialEndLink::~SerialEndLink()
{
    if (linkPath.isEmpty())
        return;
    // Only our own link: someone may have pointed the name elsewhere meanwhile.
    const QByteArray native = QFile::encodeName(linkPath);
    char buf[4096];
    const ssize_t n = ::readlink(native.constData(), buf, sizeof buf);
    if (n > 0 && QByteArray(buf, int(n)) == QFile::encodeName(target))
        ::unlink(native.constData());
}
