// Column texts of the traffic view.

#include <QtTest>

#include "support/frames.h"
#include "traffic/traffictext.h"

namespace {

// The data text as its definition reads: hex pairs, then a blank inserted at
// positions 14, 12, ..., 2, padding with blanks when a position lies beyond the end.
QString referenceDataText(const QByteArray &data)
{
    if (data.isEmpty())
        return QStringLiteral(" ");
    QString text = QString::fromLatin1(data.toHex());
    for (int position = 14; position >= 2; position -= 2) {
        if (position > text.size())
            text.append(QString(position - text.size(), QLatin1Char(' ')));
        text.insert(position, QLatin1Char(' '));
    }
    return text;
}


} // namespace

class TestTrafficText : public QObject
{
    Q_OBJECT

private slots:
    void dataTextFollowsItsDefinition_data();
    void dataTextFollowsItsDefinition();
    void dataTextExamples_data();
    void dataTextExamples();
    void identifierText_data();
    void identifierText();
    void timeText_data();
    void timeText();
    void receivedRow_data();
    void receivedRow();
};

void TestTrafficText::dataTextFollowsItsDefinition_data()
{
    QTest::addColumn<QByteArray>("data");
    for (int length = 0; length <= 15; ++length) {
        QByteArray data;
        for (int i = 0; i < length; ++i)
            data.append(char(0x0F * i + 0xA0));
        QTest::addRow("%d bytes", length) << data;
    }
}

void TestTrafficText::dataTextFollowsItsDefinition()
{
    QFETCH(QByteArray, data);
    QCOMPARE(hexDataText(data), referenceDataText(data));
}

void TestTrafficText::dataTextExamples_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << QByteArray() << QStringLiteral(" ");
    QTest::newRow("one") << QByteArray::fromHex("ab") << QStringLiteral("ab") + QString(19, ' ');
    QTest::newRow("two") << QByteArray::fromHex("0011") << QStringLiteral("00 11") + QString(16, ' ');
    QTest::newRow("seven") << QByteArray::fromHex("00112233445566") << QStringLiteral("00 11 22 33 44 55 66 ");
    QTest::newRow("eight") << QByteArray::fromHex("0011223344556677") << QStringLiteral("00 11 22 33 44 55 66 77");
    QTest::newRow("ten") << QByteArray::fromHex("00112233445566778899") << QStringLiteral("00 11 22 33 44 55 66 778899");
    QTest::newRow("upper digits shown in lower case") << QByteArray::fromHex("FFEE") << QStringLiteral("ff ee") + QString(16, ' ');
}

void TestTrafficText::dataTextExamples()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, text);
    QCOMPARE(hexDataText(data), text);
}

void TestTrafficText::identifierText_data()
{
    QTest::addColumn<quint32>("id");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << quint32(0) << QStringLiteral("0x00000000");
    QTest::newRow("0x1ab") << quint32(0x1AB) << QStringLiteral("0x000001ab");
    QTest::newRow("extended") << quint32(0x1ABCDEF0) << QStringLiteral("0x1abcdef0");
    QTest::newRow("all bits") << quint32(0xFFFFFFFF) << QStringLiteral("0xffffffff");
}

void TestTrafficText::identifierText()
{
    QFETCH(quint32, id);
    QFETCH(QString, text);
    QCOMPARE(receivedIdText(id), text);
}

void TestTrafficText::timeText_data()
{
    QTest::addColumn<QTime>("time");
    QTest::newRow("midnight") << QTime(0, 0, 0, 0);
    QTest::newRow("afternoon") << QTime(14, 3, 7, 45);
    QTest::newRow("last millisecond") << QTime(23, 59, 59, 999);
}

void TestTrafficText::timeText()
{
    QFETCH(QTime, time);
    QCOMPARE(trafficTimeText(time), time.toString(QStringLiteral("hh:mm:ss zzz")));
}

void TestTrafficText::receivedRow_data()
{
    QTest::addColumn<CanFrame>("input");
    QTest::addColumn<int>("framing");
    QTest::addColumn<QStringList>("normal");
    QTest::addColumn<QString>("statisticsFormat");

    const QString data2 = QStringLiteral("01 02") + QString(16, ' ');
    QTest::newRow("extended data, fixed")
        << makeFrame(0x1AB, FrameFormat::Extended, QByteArray::fromHex("0102")) << int(FrameFraming::Fixed)
        << QStringList{"7", "接受", "", "数据帧", "扩展帧", "0x000001ab", "2", data2} << QStringLiteral("扩展帧");
    QTest::newRow("extended data, variable")
        << makeFrame(0x1AB, FrameFormat::Extended, QByteArray::fromHex("0102")) << int(FrameFraming::Variable)
        << QStringList{"7", "接受", "", "数据帧", "扩展帧", "0x000001ab", "2", data2} << QStringLiteral("/扩展帧");
    QTest::newRow("standard remote, no data")
        << makeFrame(0x7FF, FrameFormat::Standard, QByteArray(), true) << int(FrameFraming::Variable)
        << QStringList{"7", "接受", "", "远程帧", "标准帧", "0x000007ff", "0", " "} << QStringLiteral("标准帧");
    QTest::newRow("unknown format leaves column 4 alone")
        << makeFrame(0x5, FrameFormat::Other, QByteArray::fromHex("aa")) << int(FrameFraming::Fixed)
        << QStringList{"7", "接受", "", "数据帧", QString(), "0x00000005", "1", QStringLiteral("aa") + QString(19, ' ')}
        << QString();
    const QByteArray fifteen = QByteArray::fromHex("000102030405060708090a0b0c0d0e");
    QTest::newRow("fifteen data bytes, variable")
        << makeFrame(0x10, FrameFormat::Standard, fifteen) << int(FrameFraming::Variable)
        << QStringList{"7", "接受", "", "数据帧", "标准帧", "0x00000010", "15", referenceDataText(fifteen)}
        << QStringLiteral("标准帧");
    const QByteArray sixteen = fifteen + QByteArray(1, '\x0f');
    QTest::newRow("sixteen data bytes are shown all the same")
        << makeFrame(0x10, FrameFormat::Standard, sixteen) << int(FrameFraming::Variable)
        << QStringList{"7", "接受", "", "数据帧", "标准帧", "0x00000010", "16", referenceDataText(sixteen)}
        << QStringLiteral("标准帧");
}

void TestTrafficText::receivedRow()
{
    QFETCH(CanFrame, input);
    QFETCH(int, framing);
    QFETCH(QStringList, normal);
    QFETCH(QString, statisticsFormat);

    const QTime before = QTime::currentTime();
    QStringList texts = receivedRowTexts(input, 7);
    const QTime after = QTime::currentTime();
    QCOMPARE(texts.size(), 8);
    const QTime shown = QTime::fromString(texts.at(TrafficColumn::Time), QStringLiteral("hh:mm:ss zzz"));
    QVERIFY2(shown.isValid() && before <= shown && shown <= after, qPrintable(texts.at(TrafficColumn::Time)));
    texts[TrafficColumn::Time] = QString();
    QCOMPARE(texts, normal);
    QCOMPARE(texts.at(TrafficColumn::Format).isNull(), normal.at(TrafficColumn::Format).isNull());

    // A row held as the frame itself reads the same texts; one whose data
    // does not fit is held as texts.
    ReceivedRow held;
    QCOMPARE(ReceivedRow::make(input, 7, &held), input.data.size() <= ReceivedRow::MaxData);
    if (input.data.size() <= ReceivedRow::MaxData) {
        QVERIFY(before.msecsSinceStartOfDay() <= held.msecsOfDay);
        QVERIFY(held.msecsOfDay <= QTime::currentTime().msecsSinceStartOfDay());
        for (int column = 0; column < TrafficColumn::Count; ++column) {
            if (column == TrafficColumn::Time)
                continue;
            QCOMPARE(held.text(column), normal.at(column));
            QCOMPARE(held.text(column).isNull(), normal.at(column).isNull());
        }
    }

    const QStringList statistics = statisticsRowTexts(input, FrameFraming(framing), 3);
    QCOMPARE(statistics.at(TrafficColumn::Row), QStringLiteral("3"));
    QCOMPARE(statistics.at(TrafficColumn::Format), statisticsFormat);
    QCOMPARE(statistics.at(TrafficColumn::Format).isNull(), statisticsFormat.isNull());
}

QTEST_APPLESS_MAIN(TestTrafficText)
#include "test_traffictext.moc"
