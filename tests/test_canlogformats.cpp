// candump and ASC lines, and the dates given to the rows of traffic logs.

#include <QtTest>

#include "support/frames.h"
#include "traffic/canlogformats.h"
#include "traffic/logtimes.h"

namespace {
const QDateTime kTime(QDate(2026, 12, 7), QTime(23, 59, 59, 100));
}

class TestCanLogFormats : public QObject
{
    Q_OBJECT

private slots:
    void frameLines_data();
    void frameLines();
    void ascHeaderDate_data();
    void ascHeaderDate();
    void fileNameTime_data();
    void fileNameTime();
    void nearestDate_data();
    void nearestDate();
};

void TestCanLogFormats::frameLines_data()
{
    QTest::addColumn<CanFrame>("frame");
    QTest::addColumn<bool>("sent");
    QTest::addColumn<QByteArray>("candump");
    QTest::addColumn<QByteArray>("asc");
    const QByteArray seconds = QByteArray::number(kTime.toMSecsSinceEpoch() / 1000);
    QTest::newRow("standard data") << makeFrame(0x123, FrameFormat::Standard, hex("11 22 33")) << false
        << "(" + seconds + ".100000) can0 123#112233\n"
        << QByteArray("   0.250000 1  123             Rx   d 3 11 22 33\n");
    QTest::newRow("small standard identifier") << makeFrame(0x5, FrameFormat::Standard, hex("ab")) << true
        << "(" + seconds + ".100000) can0 005#AB\n"
        << QByteArray("   0.250000 1  5               Tx   d 1 AB\n");
    QTest::newRow("extended, 8 bytes") << makeFrame(0x1abcdef, FrameFormat::Extended, hex("00 11 22 33 44 55 66 77"))
        << false << "(" + seconds + ".100000) can0 01ABCDEF#0011223344556677\n"
        << QByteArray("   0.250000 1  1ABCDEFx        Rx   d 8 00 11 22 33 44 55 66 77\n");
    QTest::newRow("no data") << makeFrame(0x7ff, FrameFormat::Standard, {}) << false
        << "(" + seconds + ".100000) can0 7FF#\n" << QByteArray("   0.250000 1  7FF             Rx   d 0\n");
    QTest::newRow("remote with length") << makeFrame(0x1fffffff, FrameFormat::Extended, hex("00 00 00 00"), true)
        << false << "(" + seconds + ".100000) can0 1FFFFFFF#R4\n"
        << QByteArray("   0.250000 1  1FFFFFFFx       Rx   r 4\n");
    QTest::newRow("remote without length") << makeFrame(0x10, FrameFormat::Standard, {}, true) << false
        << "(" + seconds + ".100000) can0 010#R\n" << QByteArray("   0.250000 1  10              Rx   r 0\n");
}

void TestCanLogFormats::frameLines()
{
    QFETCH(CanFrame, frame);
    QFETCH(bool, sent);
    QFETCH(QByteArray, candump);
    QFETCH(QByteArray, asc);
    QCOMPARE(candumpLine(kTime, QStringLiteral("can0"), frame), candump);
    QCOMPARE(ascLine(250, sent, frame), asc);
}

void TestCanLogFormats::ascHeaderDate_data()
{
    QTest::addColumn<QDateTime>("start");
    QTest::addColumn<QByteArray>("date");
    QTest::newRow("evening") << kTime << QByteArray("date Mon Dec 07 11:59:59.100 pm 2026");
    QTest::newRow("midnight") << QDateTime(QDate(2027, 1, 1), QTime(0, 0, 5, 7))
                              << QByteArray("date Fri Jan 01 12:00:05.007 am 2027");
    QTest::newRow("noon") << QDateTime(QDate(2026, 5, 31), QTime(12, 30, 0))
                          << QByteArray("date Sun May 31 12:30:00.000 pm 2026");
    QTest::newRow("morning") << QDateTime(QDate(2026, 9, 2), QTime(9, 1, 2, 30))
                             << QByteArray("date Wed Sep 02 09:01:02.030 am 2026");
}

void TestCanLogFormats::ascHeaderDate()
{
    QFETCH(QDateTime, start);
    QFETCH(QByteArray, date);
    QCOMPARE(ascHeader(start), date + "\nbase hex  timestamps absolute\nno internal events logged\n");
}

void TestCanLogFormats::fileNameTime_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QDateTime>("time");
    QTest::newRow("automatic") << "20261207_235959_100.txt" << kTime;
    QTest::newRow("in a folder, second of its second") << "/logs/20261207_235959_100_2.txt" << kTime;
    QTest::newRow("tenth") << "20261207_235959_100_10.txt" << kTime;
    QTest::newRow("chosen name") << "trip.txt" << QDateTime();
    QTest::newRow("no extension") << "20261207_235959_100" << QDateTime();
    QTest::newRow("suffix 0") << "20261207_235959_100_0.txt" << QDateTime();
    QTest::newRow("no such day") << "20261340_235959_100.txt" << QDateTime();
    QTest::newRow("no such hour") << "20261207_245959_100.txt" << QDateTime();
}

void TestCanLogFormats::fileNameTime()
{
    QFETCH(QString, name);
    QFETCH(QDateTime, time);
    QCOMPARE(logFileNameTime(name), time);
}

void TestCanLogFormats::nearestDate_data()
{
    QTest::addColumn<QDateTime>("previous");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QDateTime>("expected");
    const QDate day(2026, 12, 7);
    QTest::newRow("later the same day") << kTime << QTime(23, 59, 59, 900) << QDateTime(day, QTime(23, 59, 59, 900));
    QTest::newRow("past midnight") << kTime << QTime(0, 0, 0, 300) << QDateTime(day.addDays(1), QTime(0, 0, 0, 300));
    QTest::newRow("slightly earlier") << kTime << QTime(23, 59, 58) << QDateTime(day, QTime(23, 59, 58));
    QTest::newRow("before midnight, from the next day") << QDateTime(day, QTime(0, 0, 1)) << QTime(23, 59, 59)
                                                        << QDateTime(day.addDays(-1), QTime(23, 59, 59));
    QTest::newRow("eleven hours on") << QDateTime(day, QTime(20, 0)) << QTime(7, 0)
                                     << QDateTime(day.addDays(1), QTime(7, 0));
    QTest::newRow("twelve hours apart stays on the day") << QDateTime(day, QTime(12, 0)) << QTime(0, 0)
                                                         << QDateTime(day, QTime(0, 0));
    QTest::newRow("end of the year") << QDateTime(QDate(2026, 12, 31), QTime(23, 0)) << QTime(1, 0)
                                     << QDateTime(QDate(2027, 1, 1), QTime(1, 0));
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
