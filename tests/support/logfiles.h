#ifndef TAVICON_TEST_LOGFILES_H
#define TAVICON_TEST_LOGFILES_H

#include <QList>
#include <QString>
#include <QStringList>

class MainWindow;
class QTimer;

// Reading traffic log files back, for tests and benchmarks.

// The automatic log files in `dir` ("yyyyMMdd_hhmmss_zzz.txt", "…_2.txt"),
// oldest first.
QStringList autoLogFiles(const QString &dir);
// The lines of a log file decoded as UTF-8, without their line ends; the
// header is line 0.
QStringList logLines(const QString &path);
// Field `column` of a log line, blanks removed; the last field runs to the end.
QString logFieldText(const QString &line, int column);
// The frame identifiers (column 5, "0x…") of the row lines of a log file.
QList<quint32> loggedIdentifiers(const QString &path);
// The window's automatic-save timer, once it runs.
QTimer *runningAutoSaveTimer(MainWindow &window);

#endif // TAVICON_TEST_LOGFILES_H
