#include "traffic/traffictext.h"

#include <QDateTime>

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
    const int length = int(data.size());
    if (length == 0)
        return QStringLiteral(" ");
    QString text;
    text.reserve(qMax(kShortTextWidth, 3 * length));
    for (int i = 0; i < length; ++i) {
        if (i > 0 && i < kSeparatedPairs)
            text.append(QLatin1Char(' '));
        const quint8 byte = quint8(data.at(i));
        text.append(QLatin1Char(kHexDigits[byte >> 4]));
        text.append(QLatin1Char(kHexDigits[byte & 0xF]));
    }
    if (length < kSeparatedPairs)
        text.append(QString(kShortTextWidth - text.size(), QLatin1Char(' ')));
    return text;
}

QString trafficTimeText(const QTime &time)
{
    QString text(12, Qt::Uninitialized);
    QChar *out = text.data();
    appendDigits(out, time.hour(), 2);
    *out++ = QLatin1Char(':');
    appendDigits(out, time.minute(), 2);
    *out++ = QLatin1Char(':');
    appendDigits(out, time.second(), 2);
    *out++ = QLatin1Char(' ');
    appendDigits(out, time.msec(), 3);
    return text;
}

QString currentTrafficTimeText()
{
    static qint64 cachedSecond = -1;
    static QString cachedText;                 // "hh:mm:ss " of that second
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const qint64 second = now / 1000;
    if (second != cachedSecond) {
        cachedSecond = second;
        cachedText = trafficTimeText(QDateTime::fromMSecsSinceEpoch(second * 1000).time()).left(9);
    }
    QString text = cachedText;
    text.reserve(12);
    QChar digits[3];
    QChar *out = digits;
    appendDigits(out, int(now % 1000), 3);
    text.append(digits, 3);
    return text;
}

QStringList receivedRowTexts(const CanFrame &frame, int row)
{
    QString format;
    if (frame.format == FrameFormat::Standard)
        format = Standard;
    else if (frame.format == FrameFormat::Extended)
        format = Extended;
    return {QString::number(row),
            Received,
            currentTrafficTimeText(),
            frame.remote ? RemoteFrame : DataFrame,
            format,
            receivedIdText(frame.identifier),
            lengthText(frame.length),
            hexDataText(frame.data)};
}

QStringList statisticsRowTexts(const CanFrame &frame, FrameFraming framing, int row)
{
    QStringList texts = receivedRowTexts(frame, row);
    if (framing == FrameFraming::Variable && frame.format == FrameFormat::Extended)
        texts[TrafficColumn::Format] = VariableExtended;
    return texts;
}
