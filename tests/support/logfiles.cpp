#include "support/logfiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTimer>

#include "app/mainwindow.h"

namespace {
constexpr int kFieldWidth = 20;
constexpr int kLastColumn = 7;
}

QStringList autoLogFiles(const QString &dir)
{
    static const QRegularExpression name(QStringLiteral("^\\d{8}_\\d{6}_\\d{3}(_\\d+)?\\.txt$"));
    QStringList files;
    for (const QString &entry : QDir(dir).entryList(QDir::Files, QDir::Name)) {
        if (name.match(entry).hasMatch())
            files.append(QDir(dir).filePath(entry));
    }
    return files;
}

QStringList logLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString logFieldText(const QString &line, int column)
{
    const qsizetype length = column == kLastColumn ? -1 : kFieldWidth;
    return line.mid(column * kFieldWidth, length).trimmed();
}

QList<quint32> loggedIdentifiers(const QString &path)
{
    QList<quint32> ids;
    const QStringList lines = logLines(path);
    for (qsizetype i = 1; i < lines.size(); ++i)
        ids.append(logFieldText(lines.at(i), 5).mid(2).toUInt(nullptr, 16));
    return ids;
}

QTimer *runningAutoSaveTimer(MainWindow &window)
{
    for (QTimer *timer : window.findChildren<QTimer *>()) {
        if (timer->isActive() && timer->interval() == 1000 && !timer->isSingleShot())
            return timer;
    }
    return nullptr;
}
