#include "support/trafficlog.h"

#include <QDir>
#include <QFile>

#include "traffic/trafficlog.h"
#include "traffic/traffictext.h"

QByteArray trafficLogLine(const QStringList &texts)
{
    return logRowLine(texts, standardLogPadding());
}

QString writeTrafficLog(const QString &dir, const QString &name, const QList<QStringList> &rows)
{
    const QString path = QDir(dir).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(logHeaderLine(trafficHeaderLabels(), standardLogPadding()));
    for (const QStringList &row : rows)
        file.write(trafficLogLine(row));
    return path;
}
