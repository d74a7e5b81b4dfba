#ifndef TAVICON_TEST_TRAFFICLOG_H
#define TAVICON_TEST_TRAFFICLOG_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Traffic log files written as the window writes them: each text completed with
// blanks to 20 characters (a text of 20 or more unchanged), then "\n", UTF-8.

QByteArray trafficLogLine(const QStringList &texts);
// The header line and one line per row, in the folder `dir` under `name`;
// returns the file's path.
QString writeTrafficLog(const QString &dir, const QString &name, const QList<QStringList> &rows);

#endif // TAVICON_TEST_TRAFFICLOG_H
