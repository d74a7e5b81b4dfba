// Reading traffic log files back, row by row, with the send tables' text rules.

#include <QTemporaryDir>
#include <QtTest>

#include "support/frames.h"
#include "support/trafficlog.h"
#include "support/testfiles.h"
#include "traffic/logreader.h"
#include "traffic/traffictext.h"

namespace {
const QString R = QStringLiteral("接受"), S = QStringLiteral("发送"), D = QStringLiteral("数据帧"),
              Std = QStringLiteral("标准帧"), Ext = QStringLiteral("扩展帧"), T = QStringLiteral("23:59:58 120");
constexpr FrameFormat St = FrameFormat::Standard, Ex = FrameFormat::Extended;
}

class TestLogReader : public QObject
{
    Q_OBJECT

private slots:
    void rows_data();
    void rows();
    void files_data();
    void files();
};

void TestLogReader::rows_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("fault");          // start of the reason; empty: the row is read
    QTest::addColumn<bool>("sent");
    QTest::addColumn<CanFrame>("frame");
    const auto row = [](const char *name, const QStringList &texts, const char *fault = "") -> QTestData & {
        return QTest::newRow(name) << texts << QString::fromLatin1(fault);
    };
    const QByteArray eight = hex("00 11 22 33 44 55 66 77");
    row("received, 8 bytes", {"0", R, T, D, Std, receivedIdText(0x7ff), "8", hexDataText(eight)})
        << false << makeFrame(0x7ff, St, eight);
    row("received, 2 bytes", {"1", R, T, D, Ext, receivedIdText(0x1ab), "2", hexDataText(hex("01 02"))})
        << false << makeFrame(0x1ab, Ex, hex("01 02"));
    row("received, no data", {"2", R, T, D, Std, receivedIdText(0x10), "0", hexDataText({})})
        << false << makeFrame(0x10, St, {});
    row("received remote", {"3", R, T, "远程帧", Ext, receivedIdText(0x1fffffff), "2", hexDataText(hex("00 00"))})
        << false << makeFrame(0x1fffffff, Ex, hex("00 00"), true);
    row("statistics mode", {"4", R, T, D, "/扩展帧", receivedIdText(0x123), "1", hexDataText(hex("aa"))})
        << false << makeFrame(0x123, Ex, hex("aa"));
    row("sent, identifier as typed", {"5", S, T, D, Std, " 1ab", "3", "11 22 33"}) << true << makeFrame(0x1ab, St, hex("11 22 33"));
    row("sent, 20-character data", {"6", S, T, D, Ext, "0x18FEF100", "7", "11 22 33 44 55 66 77"})
        << true << makeFrame(0x18fef100, Ex, hex("11 22 33 44 55 66 77"));
    row("sent, empty data is one 00", {"7", S, T, D, Std, "7", "1", ""}) << true << makeFrame(7, St, hex("00"));

    row("truncated line", {"0", R, T, D}, "line ends early");
    row("truncated data", {"0", R, T, D, Std, "1", "8", "00 11 22 3"}, "length 8 but 4 data bytes in \"00 11 22 3\"");
    row("wide field", {"0", S, T, D, Std, "000000000000000000001", "1", "00"}, "field 6 is not 20 characters wide");
    row("bad time", {"0", R, "24:00:00.000", D, Std, "1", "1", "00"}, "bad time \"24:00:00.000\"");
    row("unknown direction", {"0", "收", T, D, Std, "1", "1", "00"}, "unknown direction");
    row("unknown frame kind", {"0", R, T, "错误帧", Std, "1", "1", "00"}, "unknown frame kind");
    row("missing frame type", {"0", R, T, D, "", receivedIdText(1), "1", "00"}, "unknown frame type \"\"");
    row("bad identifier", {"0", S, T, D, Std, "12g", "1", "00"}, "bad identifier \"12g\"");
    row("standard above 7FF", {"0", R, T, D, Std, receivedIdText(0x800), "1", "00"}, "identifier 800 above 7FF for a standard frame");
    row("extended above 1FFFFFFF", {"0", R, T, D, Ext, receivedIdText(0xffffffff), "0", " "},
        "identifier FFFFFFFF above 1FFFFFFF for an extended frame");
    row("10 received bytes", {"0", R, T, D, Ext, "1", "10", hexDataText(hex("00 11 22 33 44 55 66 77 88 99"))}, "10 data bytes, more than 8");
    row("bad data byte", {"0", S, T, D, Std, "1", "2", "11 1g"}, "bad data \"11 1g\"");
    row("bad length", {"0", S, T, D, Std, "1", "-1", "11"}, "bad length \"-1\"");
}

void TestLogReader::rows()
{
    QFETCH(QStringList, texts);
    QFETCH(QString, fault);
    LogRow row;
    const QString reason = parseTrafficLogRow(QString::fromUtf8(trafficLogLine(texts)).chopped(1), &row);
    if (!fault.isEmpty()) {
        QVERIFY2(reason.startsWith(fault), qPrintable(reason));
        return;
    }
    QVERIFY2(reason.isNull(), qPrintable(reason));
    QFETCH(bool, sent);
    QFETCH(CanFrame, frame);
    QCOMPARE(row.sent, sent);
    QCOMPARE(row.time, QTime(23, 59, 58, 120));
    QCOMPARE(row.frame.identifier, frame.identifier);
    QCOMPARE(row.frame.format, frame.format);
    QCOMPARE(row.frame.remote, frame.remote);
    QCOMPARE(row.frame.length, frame.length);
    QCOMPARE(row.frame.data, frame.data);
}

void TestLogReader::files_data()
{
    const QByteArray header = trafficLogLine({"序号", "传输方向", "时间标识", "帧格式", "帧类型", "帧ID", "数据长度", "数据(16进制)"});
    const QByteArray good = trafficLogLine({"0", R, T, D, Std, "1", "1", "00"});
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("status");
    QTest::addColumn<QList<int>>("rowLines");
    QTest::addColumn<QList<int>>("faultLines");
    QTest::newRow("rows and a bad row") << header + good + trafficLogLine({"1", R, T, D, Std, "800", "1", "00"}) + good
                                        << int(TrafficLog::Read) << QList<int>{2, 4} << QList<int>{3};
    QByteArray windows = "\xEF\xBB\xBF" + header + good + "\n";
    windows.replace("\n", "\r\n");
    QTest::newRow("byte-order mark, CR LF, blank line, no last line end") << windows + good.chopped(1)
        << int(TrafficLog::Read) << QList<int>{2, 4} << QList<int>{};
    QTest::newRow("a settings file") << QByteArray("0,1000Kbps,0,00,00,00,00,ff,ff,ff,ff,0,0\n" + good)
                                     << int(TrafficLog::NotALog) << QList<int>{} << QList<int>{1};
    QTest::newRow("empty file") << QByteArray() << int(TrafficLog::NotALog) << QList<int>{} << QList<int>{1};
}

void TestLogReader::files()
{
    QFETCH(QByteArray, content);
    QFETCH(int, status);
    QFETCH(QList<int>, rowLines);
    QFETCH(QList<int>, faultLines);
    QTemporaryDir dir;
    writeFileBytes(dir.filePath("log.txt"), content);
    const TrafficLog log = readTrafficLog(dir.filePath("log.txt"));
    QCOMPARE(int(log.status), status);
    QList<int> lines;
    for (const LogRow &row : log.rows)
        lines.append(row.line);
    QCOMPARE(lines, rowLines);
    lines.clear();
    for (const LogFault &fault : log.faults)
        lines.append(fault.line);
    QCOMPARE(lines, faultLines);
    QCOMPARE(int(readTrafficLog(dir.filePath("missing.txt")).status), int(TrafficLog::CannotOpen));
}

QTEST_GUILESS_MAIN(TestLogReader)
#include "test_logreader.moc"
