#include "traffic/traffictext.h"

#include <QDateTime>

#include <algorithm>

namespace TrafficText {
const QString Received = QStringLiteral("接受");
const QString Sent = QStringLiteral("发送");
const QString DataFrame = QStringLiteral("数据帧");
const QString RemoteFrame = QStringLiteral("远程帧");
const QString Standard = QStringLiteral("标准帧");
const QString Extended = QStringLiteral("扩展帧");
const QString VariableExtended = QStringLiteral("/扩展帧");
}

namespace {

using namespace TrafficText;

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr int kSeparatedPairs = 8;      // blanks stand between the first eight pairs
constexpr int kShortTextWidth = 21;

void appendDigits(QChar *&out, int value, int digits)
{
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = QLatin1Char(char('0' + value % 10));
        value /= 10;
    }
    out += digits;
}

// The data length column's texts, made once and shared by every row.
QString lengthText(int length)
{
    static const QStringList texts = [] {
        QStringList made;
        for (int n = 0; n <= 15; ++n)
            made.append(QString::number(n));
        return made;
    }();
    return length >= 0 && length < texts.size() ? texts.at(length) : QString::number(length);
}

QString hexDataText(const char *data, int length)
{
    if (length == 0)
        return QStringLiteral(" ");
    QString text;
    text.reserve(qMax(kShortTextWidth, 3 * length));
    for (int i = 0; i < length; ++i) {
        if (i > 0 && i < kSeparatedPairs)
            text.append(QLatin1Char(' '));
        const quint8 byte = quint8(data[i]);
        text.append(QLatin1Char(kHexDigits[byte >> 4]));
        text.append(QLatin1Char(kHexDigits[byte & 0xF]));
    }
    if (length < kSeparatedPairs)
        text.append(QString(kShortTextWidth - text.size(), QLatin1Char(' ')));
    return text;
}

// All of a received row but its data and length.
ReceivedRow receivedRowHead(const CanFrame &frame, int row)
{
    ReceivedRow head;
    head.number = row;
    head.msecsOfDay = currentTrafficMsecsOfDay();
    head.identifier = frame.identifier;
    head.format = frame.format;
    head.remote = frame.remote;
    return head;
}

} // namespace

QStringList trafficHeaderLabels()
{
    return {QStringLiteral("序号"), QStringLiteral("传输方向"), QStringLiteral("时间标识"),
            QStringLiteral("帧格式"), QStringLiteral("帧类型"), QStringLiteral("帧ID"),
            QStringLiteral("数据长度"), QStringLiteral("数据(16进制)")};
}

QString receivedIdText(quint32 identifier)
{
    QString text(10, Qt::Uninitialized);
    QChar *out = text.data();
    out[0] = QLatin1Char('0');
    out[1] = QLatin1Char('x');
    for (int i = 0; i < 8; ++i)
        out[2 + i] = QLatin1Char(kHexDigits[(identifier >> (28 - 4 * i)) & 0xF]);
    return text;
}

QString hexDataText(const QByteArray &data)
{
    return hexDataText(data.constData(), int(data.size()));
}

QString trafficTimeText(const QTime &time)
{
    return trafficTimeText(time.msecsSinceStartOfDay());
}

QString trafficTimeText(int msecsOfDay)
{
    const int seconds = msecsOfDay / 1000;
    QString text(12, Qt::Uninitialized);
    QChar *out = text.data();
    appendDigits(out, seconds / 3600, 2);
    *out++ = QLatin1Char(':');
    appendDigits(out, seconds / 60 % 60, 2);
    *out++ = QLatin1Char(':');
    appendDigits(out, seconds % 60, 2);
    *out++ = QLatin1Char(' ');
    appendDigits(out, msecsOfDay % 1000, 3);
    return text;
}

int currentTrafficMsecsOfDay()
{
    static qint64 cachedSecond = -1;
    static int cachedMsecsOfDay = 0;   // local time at the start of that second
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const qint64 second = now / 1000;
    if (second != cachedSecond) {
        cachedSecond = second;
        cachedMsecsOfDay = QDateTime::fromMSecsSinceEpoch(second * 1000).time().msecsSinceStartOfDay();
    }
    return cachedMsecsOfDay + int(now % 1000);
}

QString currentTrafficTimeText()
{
    return trafficTimeText(currentTrafficMsecsOfDay());
}

bool ReceivedRow::make(const CanFrame &frame, int row, ReceivedRow *made)
{
    const qsizetype size = frame.data.size();
    if (size > MaxData || frame.length < 0 || frame.length > 0xFF)
        return false;
    *made = receivedRowHead(frame, row);
    made->length = quint8(frame.length);
    made->dataSize = quint8(size);
    std::copy_n(frame.data.constData(), size, made->data);
    return true;
}

QString ReceivedRow::text(int column) const
{
    switch (column) {
    case TrafficColumn::Row:
        return QString::number(number);
    case TrafficColumn::Direction:
        return Received;
    case TrafficColumn::Time:
        return trafficTimeText(msecsOfDay);
    case TrafficColumn::Kind:
        return remote ? RemoteFrame : DataFrame;
    case TrafficColumn::Format:
        return format == FrameFormat::Standard ? Standard : format == FrameFormat::Extended ? Extended : QString();
    case TrafficColumn::Identifier:
        return receivedIdText(identifier);
    case TrafficColumn::Length:
        return lengthText(length);
    case TrafficColumn::Data:
        return hexDataText(data, dataSize);
    default:
        return QString();
    }
}

QStringList receivedRowTexts(const CanFrame &frame, int row)
{
    const ReceivedRow head = receivedRowHead(frame, row);
    QStringList texts;
    texts.reserve(TrafficColumn::Count);
    for (int column = 0; column < TrafficColumn::Length; ++column)
        texts.append(head.text(column));
    texts.append(lengthText(frame.length));
    texts.append(hexDataText(frame.data));
    return texts;
}

QStringList statisticsRowTexts(const CanFrame &frame, FrameFraming framing, int row)
{
    QStringList texts = receivedRowTexts(frame, row);
    if (framing == FrameFraming::Variable && frame.format == FrameFormat::Extended)
        texts[TrafficColumn::Format] = VariableExtended;
    return texts;
}
