#include "traffic/logreader.h"

#include <QStringList>

#include "files/textfile.h"
#include "traffic/trafficlog.h"
#include "traffic/traffictext.h"
#include "txtables/celltext.h"

namespace {

constexpr int kFieldWidth = 20;
constexpr int kPaddedFields = TrafficColumn::Data;      // every field before the data is padded

using namespace TrafficText;
const QString kTimeFormat = QStringLiteral("hh:mm:ss zzz");

QString withoutTrailingBlanks(const QString &text)
{
    int end = int(text.size());
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.left(end);
}

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

QString trafficLogHeaderLine()
{
    return QString::fromUtf8(logHeaderLine(trafficHeaderLabels(), standardLogPadding())).chopped(1);
}

QString parseTrafficLogRow(const QString &line, LogRow *row)
{
    if (line.size() < kPaddedFields * kFieldWidth)
        return QStringLiteral("line ends early: %1 of at least %2 characters")
            .arg(line.size()).arg(kPaddedFields * kFieldWidth);
    QStringList fields;
    for (int i = 0; i < kPaddedFields; ++i) {
        const QString field = line.mid(i * kFieldWidth, kFieldWidth);
        // A text shorter than the width is always followed by a blank.
        if (field.back() != QLatin1Char(' '))
            return QStringLiteral("field %1 is not %2 characters wide: %3")
                .arg(i + 1).arg(kFieldWidth).arg(quoted(field));
        fields.append(withoutTrailingBlanks(field));
    }
    const QString dataText = line.mid(kPaddedFields * kFieldWidth);
    const QString shownData = quoted(dataText.trimmed());

    LogRow out;
    const QString &direction = fields.at(TrafficColumn::Direction);
    if (direction != Sent && direction != Received)
        return QStringLiteral("unknown direction %1").arg(quoted(direction));
    out.sent = direction == Sent;

    const QString &time = fields.at(TrafficColumn::Time);
    out.time = QTime::fromString(time, kTimeFormat);
    if (time.size() != kTimeFormat.size() || !out.time.isValid())
        return QStringLiteral("bad time %1, not hh:mm:ss zzz").arg(quoted(time));

    const QString &kind = fields.at(TrafficColumn::Kind);
    if (kind != DataFrame && kind != RemoteFrame)
        return QStringLiteral("unknown frame kind %1").arg(quoted(kind));
    CanFrame &frame = out.frame;
    frame.remote = kind == RemoteFrame;

    const QString &format = fields.at(TrafficColumn::Format);
    if (format == Standard)
        frame.format = FrameFormat::Standard;
    else if (format == Extended || format == VariableExtended)
        frame.format = FrameFormat::Extended;
    else
        return QStringLiteral("unknown frame type %1").arg(quoted(format));

    const QString &identifier = fields.at(TrafficColumn::Identifier);
    if (!parseIdentifierText(identifier, &frame.identifier)) {
        // A received identifier is 32 bits as carried on the line.
        bool ok = false;
        frame.identifier = identifier.toUInt(&ok, 16);
        if (!ok || identifier.contains(QLatin1Char('-')))
            return QStringLiteral("bad identifier %1").arg(quoted(identifier));
    }
    if (frame.identifier > maxIdentifier(frame.format))
        return QStringLiteral("identifier %1 above %2 for %3 frame")
            .arg(QString::number(frame.identifier, 16).toUpper(),
                 QString::number(maxIdentifier(frame.format), 16).toUpper(),
                 frame.format == FrameFormat::Standard ? QStringLiteral("a standard")
                                                       : QStringLiteral("an extended"));

    const QString &lengthText = fields.at(TrafficColumn::Length);
    bool ok = false;
    frame.length = lengthText.toInt(&ok, 10);
    if (!ok || frame.length < 0 || lengthText.startsWith(QLatin1Char('+')))
        return QStringLiteral("bad length %1").arg(quoted(lengthText));
    if (frame.length > FixedLayout::MaxData)
        return QStringLiteral("%1 data bytes, more than %2").arg(frame.length).arg(FixedLayout::MaxData);

    // No data is shown as a single blank, which the data rules would read as one 00.
    if (dataText.trimmed().isEmpty() && frame.length == 0) {
        frame.data.clear();
    } else {
        switch (parseDataText(dataText, &frame.data)) {
        case DataTextFault::TooManyBytes:
            return QStringLiteral("more than %1 data bytes in %2").arg(FixedLayout::MaxData).arg(shownData);
        case DataTextFault::BadByte:
            return QStringLiteral("bad data %1").arg(shownData);
        case DataTextFault::None:
            break;
        }
        if (frame.data.size() != frame.length)
            return QStringLiteral("length %1 but %2 data bytes in %3")
                .arg(frame.length).arg(frame.data.size()).arg(shownData);
    }
    *row = out;
    return QString();
}

void TrafficLogParser::addLine(const QByteArray &bytes)
{
    ++lineNumber;
    if (log.status != TrafficLog::Read)
        return;
    QByteArray content = bytes;
    if (content.endsWith('\n'))
        content.chop(1);
    if (content.endsWith('\r'))
        content.chop(1);
    const QString line = QString::fromUtf8(content);
    if (lineNumber == 1) {
        if (withoutTrailingBlanks(line) != withoutTrailingBlanks(trafficLogHeaderLine())) {
            log.status = TrafficLog::NotALog;
            log.faults.append({1, QStringLiteral("not a traffic log: the first line is not its header line")});
        }
        return;
    }
    if (line.isEmpty())
        return;
    LogRow row;
    const QString fault = parseTrafficLogRow(line, &row);
    if (!fault.isNull()) {
        log.faults.append({lineNumber, fault});
        return;
    }
    row.line = lineNumber;
    log.rows.append(row);
}

TrafficLog TrafficLogParser::result() const
{
    TrafficLog out = log;
    if (lineNumber == 0) {
        out.status = TrafficLog::NotALog;
        out.faults.append({1, QStringLiteral("empty file, not a traffic log")});
    }
    return out;
}

TrafficLog readTrafficLog(const QString &fileName)
{
    TrafficLogParser parser;
    if (!forEachTextLine(fileName, [&](const QByteArray &line) {
            parser.addLine(line);
            return !parser.stopped();
        })) {
        TrafficLog log;
        log.status = TrafficLog::CannotOpen;
        return log;
    }
    return parser.result();
}
