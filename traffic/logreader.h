#ifndef TAVICON_LOGREADER_H
#define TAVICON_LOGREADER_H

#include <QList>
#include <QString>
#include <QTime>

#include "link/canframe.h"

// Reading traffic log files back: a header line, then one line per row of the
// traffic view, each of its eight texts completed with blanks to 20 characters
// (longer texts written unchanged). Rows are read with the send tables'
// identifier and data text rules, and only rows a CAN frame can carry are
// accepted: identifiers up to 7FF standard or 1FFFFFFF extended, at most eight
// data bytes, a known frame type.

struct LogRow
{
    int line = 0;                // 1-based line of the file
    bool sent = false;           // "发送"; otherwise "接受"
    QTime time;                  // the row's "hh:mm:ss zzz"
    CanFrame frame;              // Standard or Extended; data as the row shows it
};

struct LogFault
{
    int line = 0;
    QString reason;
};

struct TrafficLog
{
    enum Status { Read, CannotOpen, NotALog };
    Status status = Read;
    QList<LogRow> rows;
    QList<LogFault> faults;      // rows that were skipped; NotALog: why, at line 1
};

// The header line the window writes, without its line end.
QString trafficLogHeaderLine();

// One row line without its line end. Returns a null string and fills `row`
// (all but its line number), or returns why the line cannot be read.
QString parseTrafficLogRow(const QString &line, LogRow *row);

// Reads a log line by line: the first line must be the header, the others are
// rows. Line ends may be LF or CR LF; empty lines are passed over.
class TrafficLogParser
{
public:
    void addLine(const QByteArray &line);       // UTF-8, with or without its line end
    bool stopped() const { return log.status != TrafficLog::Read; }
    TrafficLog result() const;

private:
    TrafficLog log;
    int lineNumber = 0;
};

// The whole file (a UTF-8 byte-order mark in front is dropped).
TrafficLog readTrafficLog(const QString &fileName);

#endif // TAVICON_LOGREADER_H
