// The traffic log reader of tavicon-log: any file is read without a fault, and
// every row it accepts is a frame the CAN formats can carry.

#include <QByteArray>

#include "traffic/logreader.h"
#include "fuzzcheck.h"

// The input is a file: the header line is put in front when the first byte is odd,
// so that the rows behind it are reached.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    QByteArray file(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    if (data[0] & 1)
        file.prepend(trafficLogHeaderLine().toUtf8() + '\n');

    TrafficLogParser parser;
    qsizetype start = 0;
    while (start < file.size() && !parser.stopped()) {
        qsizetype end = file.indexOf('\n', start);
        end = end < 0 ? file.size() : end + 1;
        parser.addLine(file.mid(start, end - start));
        start = end;
    }
    const TrafficLog log = parser.result();
    int previousLine = 0;
    for (const LogRow &row : log.rows) {
        const CanFrame &f = row.frame;
        check(row.line > previousLine);
        previousLine = row.line;
        check(row.time.isValid());
        check(f.format == FrameFormat::Standard || f.format == FrameFormat::Extended);
        check(f.identifier <= (f.format == FrameFormat::Extended ? 0x1FFFFFFFu : 0x7FFu));
        check(f.length >= 0 && f.length <= 8 && f.data.size() == f.length);
    }
    for (const LogFault &fault : log.faults)
        check(fault.line >= 1 && !fault.reason.isEmpty());
    return 0;
}
