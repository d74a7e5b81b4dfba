#ifndef TAVICON_LOGCONVERSION_H
#define TAVICON_LOGCONVERSION_H

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

#include "interop/framelogwriter.h"

// Traffic log files, one or the automatic files of a run in order, converted
// to one candump, ASC or pcap log.

struct LogConversionOptions
{
    CanLogFormat format = CanLogFormat::Candump;
    QDate date;                  // for files without a date in their name
    QString channel = QStringLiteral("can0");
};

struct LogConversion
{
    enum Status { Converted = 0, RowsSkipped = 1, Failed = 2 };
    Status status = Converted;
    QByteArray output;           // nothing when Failed; a pcap file's bytes, header included
    bool binary = false;         // written as it is, not as text
    QStringList messages;        // for standard error: "FILE:LINE: reason", "FILE: reason"
};

// Each row's time of day takes the date that puts it nearest the previous
// row's time; the first row of a file, nearest the time in the file's name, or
// the given date for a file without one. Rows that cannot be read are skipped
// and reported. ASC times count from the earliest row; candump and pcap
// times are absolute, in the rows' local time. A file that cannot be read or is no traffic log, or a file
// without a date, fails the whole conversion.
LogConversion convertTrafficLogs(const QStringList &files, const LogConversionOptions &options);

#endif // TAVICON_LOGCONVERSION_H
