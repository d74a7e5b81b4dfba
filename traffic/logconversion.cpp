#include "traffic/logconversion.h"

#include <QDateTime>
#include <QList>

#include "traffic/logreader.h"
#include "traffic/logtimes.h"

namespace {

struct DatedRow
{
    QDateTime time;
    LogRow row;
};

} // namespace

LogConversion convertTrafficLogs(const QStringList &files, const LogConversionOptions &options)
{
    LogConversion result;
    QList<DatedRow> rows;
    for (const QString &file : files) {
        const QDateTime named = logFileNameTime(file);
        if (!named.isValid() && !options.date.isValid()) {
            result.messages.append(QStringLiteral("%1: no date in the file name; give it with --date yyyy-MM-dd").arg(file));
            result.status = LogConversion::Failed;
            continue;
        }
        const TrafficLog log = readTrafficLog(file);
        if (log.status == TrafficLog::CannotOpen) {
            result.messages.append(QStringLiteral("%1: cannot be read").arg(file));
            result.status = LogConversion::Failed;
            continue;
        }
        for (const LogFault &fault : log.faults)
            result.messages.append(QStringLiteral("%1:%2: %3").arg(file).arg(fault.line).arg(fault.reason));
        if (log.status == TrafficLog::NotALog) {
            result.status = LogConversion::Failed;
            continue;
        }
        if (!log.faults.isEmpty() && result.status == LogConversion::Converted)
            result.status = LogConversion::RowsSkipped;
        QDateTime previous = named;
        for (const LogRow &row : log.rows) {
            const QDateTime time = previous.isValid() ? nearestDateTime(previous, row.time)
                                                      : QDateTime(options.date, row.time);
            if (!time.isValid()) {          // a local time skipped by a clock change
                result.messages.append(QStringLiteral("%1:%2: the time %3 does not exist on that day")
                                           .arg(file).arg(row.line).arg(row.time.toString(QStringLiteral("hh:mm:ss zzz"))));
                result.status = LogConversion::RowsSkipped;
                continue;
            }
            rows.append({time, row});
            previous = time;
        }
    }
    if (result.status == LogConversion::Failed)
        return result;

    // Rows saved after the view wrapped are not in time order; ASC times before
    // the header's date would be negative, and readers drop those. An ASC log of
    // no rows is empty.
    if (options.format == CanLogFormat::Asc && rows.isEmpty())
        return result;
    QDateTime start = rows.isEmpty() ? QDateTime() : rows.first().time;
    for (const DatedRow &r : rows)
        start = qMin(start, r.time);
    const std::unique_ptr<FrameLogWriter> writer = makeFrameLogWriter(options.format, options.channel);
    result.binary = writer->isBinary();
    result.output = writer->header(start.toMSecsSinceEpoch() * 1000);
    // The log reader keeps only rows a classic CAN frame carries: every format takes them.
    for (const DatedRow &r : rows) {
        result.output += writer->record(r.time.toMSecsSinceEpoch() * 1000,
                                        r.row.sent ? FrameDirection::Sent : FrameDirection::Received, r.row.frame)
                             .value_or(QByteArray());
    }
    result.output += writer->end();
    return result;
}
