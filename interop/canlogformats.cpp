#include "interop/canlogformats.h"

#include <algorithm>

namespace {

QByteArray upperHex(quint32 value, int digits)
{
    return QByteArray::number(value, 16).toUpper().rightJustified(digits, '0');
}

// Seconds with six decimals.
QByteArray secondsText(qint64 usecs)
{
    const bool negative = usecs < 0;
    const qint64 magnitude = negative ? -usecs : usecs;
    return (negative ? "-" : "") + QByteArray::number(magnitude / 1000000) + '.'
         + QByteArray::number(magnitude % 1000000).rightJustified(6, '0');
}

} // namespace

QByteArray candumpLine(qint64 usecsSinceEpoch, const QString &channel, const CanFrame &frame)
{
    QByteArray line = '(' + QByteArray::number(usecsSinceEpoch / 1000000).rightJustified(10, '0') + '.'
                    + QByteArray::number(usecsSinceEpoch % 1000000).rightJustified(6, '0') + ") "
                    + channel.toUtf8() + ' '
                    + upperHex(frame.identifier, frame.format == FrameFormat::Extended ? 8 : 3) + '#';
    if (frame.remote) {
        line += 'R';
        if (frame.length != 0)
            line += QByteArray::number(frame.length);
    } else {
        line += frame.data.toHex().toUpper();
    }
    return line + '\n';
}

bool isCandumpChannelName(const QString &name)
{
    return !name.isEmpty() && std::all_of(name.cbegin(), name.cend(), [](QChar c) {
        return c.unicode() > ' ' && c.unicode() <= '~' && c != QLatin1Char('#');
    });
}

QByteArray ascHeader(const QDateTime &start)
{
    static const char *const days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QDate date = start.date();
    const QTime time = start.time();
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return QByteArray("date ") + days[date.dayOfWeek() - 1] + ' ' + months[date.month() - 1] + ' '
         + QByteArray::number(date.day()).rightJustified(2, '0') + ' '
         + QByteArray::number(hour12).rightJustified(2, '0') + ':'
         + QByteArray::number(time.minute()).rightJustified(2, '0') + ':'
         + QByteArray::number(time.second()).rightJustified(2, '0') + '.'
         + QByteArray::number(time.msec()).rightJustified(3, '0')
         + (time.hour() < 12 ? " am " : " pm ") + QByteArray::number(date.year()) + '\n'
         + "base hex  timestamps absolute\n"
         + "no internal events logged\n";
}

QByteArray ascLine(qint64 usecsSinceStart, bool sent, const CanFrame &frame)
{
    QByteArray identifier = QByteArray::number(frame.identifier, 16).toUpper();
    if (frame.format == FrameFormat::Extended)
        identifier += 'x';
    QByteArray line = secondsText(usecsSinceStart).rightJustified(11, ' ') + " 1  "
                    + identifier.leftJustified(15, ' ') + ' ' + (sent ? "Tx  " : "Rx  ") + ' '
                    + (frame.remote ? 'r' : 'd') + ' ' + QByteArray::number(frame.length);
    if (!frame.remote) {
        for (const char byte : frame.data)
            line += ' ' + QByteArray(1, byte).toHex().toUpper();
    }
    return line + '\n';
}
