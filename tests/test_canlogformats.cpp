// The frame log writers (candump and ASC lines, pcap records), and the dates
// given to the rows of traffic logs.

#include <QtTest>

#include "support/frames.h"
#include "interop/canlogformats.h"
#include "interop/framelogwriter.h"
#include "interop/pcap.h"
#include "traffic/logtimes.h"

class TestCanLogFormats : public QObject
{
    Q_OBJECT

private slots:
    void frameLines_data();
    void frameLines();
    void pcapLimits();
    void ascHeaderDate_data();
    void ascHeaderDate();
    void nearestDate_data();
    void nearestDate();
};

void TestCanLogFormats::frameLines_data()
{
    QTest::addColumn<CanFrame>("frame");
    QTest::addColumn<QByteArray>("candump");     // after "(1796687999.100007) vcan1 "
    QTest::addColumn<QByteArray>("asc");         // after "   0.250007 1  "; null: not written
    QTest::addColumn<QByteArray>("pcap");        // the SocketCAN frame after the record header
    QTest::newRow("standard") << makeFrame(0x5, FrameFormat::Standard, hex("ab 01")) << QByteArray("005#AB01")
                              << QByteArray("5               Tx   d 2 AB 01") << hex("00000005 02000000 ab01000000000000");
    QTest::newRow("extended, 8 bytes") << makeFrame(0x1abcdef, FrameFormat::Extended, hex("00 11 22 33 44 55 66 77"))
        << QByteArray("01ABCDEF#0011223344556677") << QByteArray("1ABCDEFx        Tx   d 8 00 11 22 33 44 55 66 77")
        << hex("81abcdef 08000000 0011223344556677");
    QTest::newRow("no data") << makeFrame(0x7ff, FrameFormat::Standard, {}) << QByteArray("7FF#")
                             << QByteArray("7FF             Tx   d 0") << hex("000007ff 00000000 0000000000000000");
    QTest::newRow("remote with length") << makeFrame(0x1fffffff, FrameFormat::Extended, hex("01 02 03 04"), true)
        << QByteArray("1FFFFFFF#R4") << QByteArray("1FFFFFFFx       Tx   r 4") << hex("dfffffff 04000000 0000000000000000");
    QTest::newRow("remote without length") << makeFrame(0x10, FrameFormat::Standard, {}, true) << QByteArray("010#R")
        << QByteArray("10              Tx   r 0") << hex("40000010 00000000 0000000000000000");
    QTest::newRow("error frame: error passive, counters") << makeFrame(0x20000204, FrameFormat::Extended, hex("00 20 00 00 00 00 80 05"))
        << QByteArray("20000204#0020000000008005") << QByteArray() << hex("20000204 08000000 0020000000008005");
}

void TestCanLogFormats::frameLines()
{
    QFETCH(CanFrame, frame);
    QFETCH(QByteArray, candump);
    QFETCH(QByteArray, asc);
    QFETCH(QByteArray, pcap);
    constexpr qint64 usecs = 1796687999100007;
    const auto recorded = [&](CanLogFormat format, qint64 start) {
        const std::unique_ptr<FrameLogWriter> writer = makeFrameLogWriter(format, QStringLiteral("vcan1"));
        writer->header(start);
        return writer->record(usecs, FrameDirection::Sent, frame).value_or("<none>");
    };
    QCOMPARE(recorded(CanLogFormat::Candump, 0), "(1796687999.100007) vcan1 " + candump + '\n');
    QCOMPARE(recorded(CanLogFormat::Asc, usecs - 250007), asc.isNull() ? "<none>" : "   0.250007 1  " + asc + '\n');
    // Seconds, microseconds, captured and original length, little-endian here.
    QCOMPARE(recorded(CanLogFormat::Pcap, 0).toHex(), (hex("7f 48 17 6b a7 86 01 00 10000000 10000000") + pcap).toHex());
}

void TestCanLogFormats::pcapLimits()
{
    QCOMPARE(pcapFileHeader().toHex(), hex("d4c3b2a1 0200 0400 00000000 00000000 10000000 e3000000").toHex());
    // What a classic CAN frame cannot be, no format writes.
    for (const CanFrame &frame : {makeFrame(0x800, FrameFormat::Standard, {}), makeFrame(0x20000000, FrameFormat::Extended, {}),
                                  makeFrame(0x1, FrameFormat::Other, {}), makeFrame(0x1, FrameFormat::Extended, QByteArray(9, '\0'))}) {
        for (const CanLogFormat format : {CanLogFormat::Candump, CanLogFormat::Asc, CanLogFormat::Pcap})
            QVERIFY(!makeFrameLogWriter(format, QStringLiteral("can0"))->record(0, FrameDirection::Received, frame));
    }
}

void TestCanLogFormats::ascHeaderDate_data()
{
    QTest::addColumn<QDateTime>("start");
    QTest::addColumn<QByteArray>("date");
    QTest::newRow("midnight") << QDateTime(QDate(2027, 1, 1), QTime(0, 0, 5, 7)) << QByteArray("date Fri Jan 01 12:00:05.007 am 2027");
    QTest::newRow("noon") << QDateTime(QDate(2026, 5, 31), QTime(12, 30, 0)) << QByteArray("date Sun May 31 12:30:00.000 pm 2026");
    QTest::newRow("morning") << QDateTime(QDate(2026, 9, 2), QTime(9, 1, 2, 30)) << QByteArray("date Wed Sep 02 09:01:02.030 am 2026");
}

void TestCanLogFormats::ascHeaderDate()
{
    QFETCH(QDateTime, start);
    QFETCH(QByteArray, date);
    QCOMPARE(ascHeader(start), date + "\nbase hex  timestamps absolute\nno internal events logged\n");
}

void TestCanLogFormats::nearestDate_data()
{
    QTest::addColumn<QDateTime>("previous");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QDateTime>("expected");
    const QDate day(2026, 12, 31);
    QTest::newRow("into the new year") << QDateTime(day, QTime(23, 0)) << QTime(1, 0) << QDateTime(day.addDays(1), QTime(1, 0));
    QTest::newRow("back before midnight") << QDateTime(day, QTime(0, 0, 1)) << QTime(23, 59, 59)
                                          << QDateTime(day.addDays(-1), QTime(23, 59, 59));
    QTest::newRow("eleven hours earlier") << QDateTime(day, QTime(20, 0)) << QTime(9, 0) << QDateTime(day, QTime(9, 0));
    QTest::newRow("twelve hours: the same day") << QDateTime(day, QTime(12, 0)) << QTime(0, 0) << QDateTime(day, QTime(0, 0));
}

void TestCanLogFormats::nearestDate()
{
    QFETCH(QDateTime, previous);
    QFETCH(QTime, time);
    QFETCH(QDateTime, expected);
    QCOMPARE(nearestDateTime(previous, time), expected);
}

QTEST_GUILESS_MAIN(TestCanLogFormats)
#include "test_canlogformats.moc"
