#ifndef TAVICON_LOGTIMES_H
#define TAVICON_LOGTIMES_H

#include <QDateTime>
#include <QString>
#include <QTime>

// Dates for the rows of traffic logs, whose rows hold only a time of day.

// The local time in the name of an automatic log file,
// "yyyyMMdd_hhmmss_zzz.txt", also with a "_2", "_3" ... before ".txt". Any
// folder in front is ignored. Returns an invalid QDateTime for other names.
QDateTime logFileNameTime(const QString &path);

// The local date and time with the time of day `time` that lies nearest to
// `previous` (the day before, the same day or the day after); at an equal
// distance the same day.
QDateTime nearestDateTime(const QDateTime &previous, const QTime &time);

#endif // TAVICON_LOGTIMES_H
