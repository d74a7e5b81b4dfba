// candump and ASC lines, and the dates given to the rows of traffic logs.

#include <QtTest>

#include "support/frames.h"
#include "interop/canlogformats.h"
#include "traffic/logtimes.h"

class TestCanLogFormats : public QObject
{
    Q_OBJECT

private slots:
    void frameLines_data();
    void frameLines();
    void ascHeaderDate_data();
    void ascHeaderDate();
    void nearestDate_data();
    void nearestDate();
};

void TestCanLogFormats::frameLines_data()
{
    QTest::addColumn<CanFrame>("frame");
    QTest::addColumn<QByteArray>("candump");     // after "(1796687999.100000) vcan1 "
    QTest::addColumn<QByteArray>("asc");         // after "   0.250000 1  "
    QTest::newRow("standard") << makeFrame(0x5, FrameFormat::Standard, hex("ab 01")) << QByteArray("005#AB01")
                              << QByteArray("5               Tx   d 2 AB 01");
    QTest::newRow("extended, 8 bytes") << makeFrame(0x1abcdef, FrameFormat::Extended, hex("00 11 22 33 44 55 66 77"))
        << QByteArray("01ABCDEF#0011223344556677") << QByteArray("1ABCDEFx        Tx   d 8 00 11 22 33 44 55 66 77");
    QTest::newRow("no data") << makeFrame(0x7ff, FrameFormat::Standard, {}) << QByteArray("7FF#")
                             << QByteArray("7FF             Tx   d 0");
    QTest::newRow("remote with length") << makeFrame(0x1fffffff, FrameFormat::Extended, hex("00 00 00 00"), true)
        << QByteArray("1FFFFFFF#R4") << QByteArray("1FFFFFFFx       Tx   r 4");
    QTest::newRow("remote without length") << makeFrame(0x10, FrameFormat::Standard, {}, true) << QByteArray("010#R")
                                           << QByteArray("10              Tx   r 0");
}

void TestCanLogFormats::frameLines()
{
    QFETCH(CanFrame, frame);
    QFETCH(QByteArray, candump);
    QFETCH(QByteArray, asc);
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(1796687999100);
    QCOMPARE(candumpLine(time, QStringLiteral("vcan1"), frame), "(1796687999.100000) vcan1 " + candump + '\n');
    QCOMPARE(ascLine(250, true, frame), "   0.250000 1  " + asc + '\n');
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
