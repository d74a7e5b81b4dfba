#include "support/trafficlog.h"

#include <QDir>
#include <QFile>

QByteArray trafficLogLine(const QStringList &texts)
{
    QString line;
    for (const QString &text : texts)
        line += text.size() < 20 ? text + QString(20 - text.size(), QLatin1Char(' ')) : text;
    return line.toUtf8() + '\n';
}

QString writeTrafficLog(const QString &dir, const QString &name, const QList<QStringList> &rows)
{
    static const QStringList headers = {
        QStringLiteral("序号"), QStringLiteral("传输方向"), QStringLiteral("时间标识"),
        QStringLiteral("帧格式"), QStringLiteral("帧类型"), QStringLiteral("帧ID"),
        QStringLiteral("数据长度"), QStringLiteral("数据(16进制)")};
    const QString path = QDir(dir).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(trafficLogLine(headers));
    for (const QStringList &row : rows)
        file.write(trafficLogLine(row));
    return path;
}
