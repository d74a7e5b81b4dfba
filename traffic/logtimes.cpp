#include "traffic/logtimes.h"

#include <QFileInfo>
#include <QRegularExpression>

QDateTime logFileNameTime(const QString &path)
{
    static const QRegularExpression automaticName(
        QStringLiteral("^(\\d{8}_\\d{6}_\\d{3})(_[1-9]\\d*)?\\.txt$"));
    const QRegularExpressionMatch match = automaticName.match(QFileInfo(path).fileName());
    if (!match.hasMatch())
        return QDateTime();
    return QDateTime::fromString(match.captured(1), QStringLiteral("yyyyMMdd_hhmmss_zzz"));
}

QDateTime nearestDateTime(const QDateTime &previous, const QTime &time)
{
    QDateTime best;
    qint64 bestDistance = 0;
    for (const int day : {0, 1, -1}) {
        const QDateTime candidate(previous.date().addDays(day), time);
        if (!candidate.isValid())
            continue;
        const qint64 distance = qAbs(previous.msecsTo(candidate));
        if (!best.isValid() || distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}
