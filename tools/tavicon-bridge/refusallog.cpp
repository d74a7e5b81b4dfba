#include "refusallog.h"

#include <cstdio>

namespace {
constexpr int LineIntervalMs = 1000;
}

RefusalLog::RefusalLog(const QString &name, QObject *parent)
    : QObject(parent)
    , client(name)
{
    quiet.setSingleShot(true);
    quiet.setInterval(LineIntervalMs);
    connect(&quiet, &QTimer::timeout, this, &RefusalLog::writeLeftOut);
}

RefusalLog::~RefusalLog()
{
    if (leftOut > 0)
        writeLeftOut();
}

void RefusalLog::refused(const QByteArray &reason)
{
    if (quiet.isActive()) {
        ++leftOut;
        lastReason = reason;
        return;
    }
    std::fprintf(stderr, "tavicon-bridge: %s: send refused: %s\n", qPrintable(client), reason.constData());
    quiet.start();
}

void RefusalLog::writeLeftOut()
{
    if (leftOut == 0)
        return;
    std::fprintf(stderr, "tavicon-bridge: %s: %lld more sends refused, the last: %s\n", qPrintable(client),
                 qlonglong(leftOut), lastReason.constData());
    leftOut = 0;
    quiet.start();
}
