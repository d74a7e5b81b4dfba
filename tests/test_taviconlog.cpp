// The tavicon-log program: its exit status and messages, and its output read
// by CAN tools we did not write (python-can, can-utils, tshark).

#include <QComboBox>
#include <QProcess>
#include <QTableWidget>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "emulatorprocess.h"
#include "link/receivestats.h"
#include "support/modaldialogs.h"
#include "support/ptypair.h"
#include "support/trafficlog.h"
#include "support/windowharness.h"
#include "support/testfiles.h"
#include "support/frames.h"
#include "support/tshark.h"

namespace {

const QString R = QStringLiteral("接受"), S = QStringLiteral("发送"), D = QStringLiteral("数据帧"),
              Std = QStringLiteral("标准帧"), Ext = QStringLiteral("扩展帧");

struct Run
{
    int status = -1;
    QByteArray out;
    QString err;
};

// `utc`: as on a machine whose local time is UTC; `terminal`: standard output
// is a terminal.
Run run(const QString &program, const QStringList &arguments, const QString &workDir, bool utc = false,
        bool terminal = false)
{
    QProcess process;
    PtyPair pty;
    if (terminal)
        process.setStandardOutputFile(pty.portName());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (utc)
        env.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(workDir);
    process.start(program, arguments);
    Run result;
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
        result = {process.exitCode(), process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
    return result;
}

} // namespace

class TestTaviconLog : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void otherToolsReadTheOutput();
};

void TestTaviconLog::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("err");             // exact; "*" at the end: only its start
    QTest::addColumn<QByteArray>("out");
    const QString midnight = "20261207_235959_100.txt";
    const QByteArray ascHeader = "date Mon Dec 07 11:59:59.500 pm 2026\nbase hex  timestamps absolute\nno internal events logged\n";
    QTest::newRow("a run past midnight") << QStringList{midnight, "20261208_000001_000_2.txt"} << 0 << QString()
        << QByteArray("(1796687999.500000) can0 123#112233\n(1796688000.250000) can0 18FEF100#AA\n"
                      "(1796688001.500000) can0 010#R2\n");
    QTest::newRow("asc") << QStringList{"--format", "asc", "--channel", "vcan1", midnight} << 0 << QString()
        << ascHeader + "   0.000000 1  123             Rx   d 3 11 22 33\n   0.750000 1  18FEF100x       Tx   d 1 AA\n";
    QTest::newRow("asc, rows out of order") << QStringList{"--format", "asc", "20261208_000002_000.txt"} << 0 << QString()
        << ascHeader + "   2.000000 1  2               Rx   d 0\n   0.000000 1  1               Rx   d 0\n";
    QTest::newRow("pcap to a pipe") << QStringList{"--format", "pcap", "--date", "2027-03-01", "trip.txt"} << 0 << QString()
        << hex("d4c3b2a1 0200 0400 00000000 00000000 10000000 e3000000  7f06866b 20a10700 10000000 10000000"
               "00000123 00000000 0000000000000000");
    QTest::newRow("pcap to a terminal") << QStringList{"--format", "pcap", "--date", "2027-03-01", "trip.txt"} << 2
        << "tavicon-log: a pcap file is not written to a terminal*" << QByteArray();
    QTest::newRow("date given") << QStringList{"--channel", "vcan1", "--date", "2027-03-01", "trip.txt"} << 0 << QString()
        << QByteArray("(1803945599.500000) vcan1 123#\n");
    QTest::newRow("rows skipped") << QStringList{"20261207_100000_000.txt"} << 1
        << "20261207_100000_000.txt:3: identifier 800 above 7FF for a standard frame\n"
           "20261207_100000_000.txt:4: line ends early: 60 of at least 140 characters\n"
        << QByteArray("(1796637600.500000) can0 001#\n");
    QTest::newRow("no date") << QStringList{midnight, "trip.txt"} << 2
        << "trip.txt: no date in the file name; give it with --date yyyy-MM-dd\n" << QByteArray();
    QTest::newRow("another kind of file") << QStringList{midnight, "--date", "2026-01-01", "cfg.txt"} << 2
        << "cfg.txt:1: not a traffic log: the first line is not its header line\n" << QByteArray();
    QTest::newRow("missing file") << QStringList{"20261207_000000_000.txt"} << 2
        << "20261207_000000_000.txt: cannot be read\n" << QByteArray();
    QTest::newRow("output folder missing") << QStringList{"-o", "no/such/out.log", midnight} << 2
        << "no/such/out.log: cannot be written\n" << QByteArray();
    QTest::newRow("output over a log") << QStringList{"-o", midnight, midnight} << 2
        << "tavicon-log: the output file 20261207_235959_100.txt is one of the log files*" << QByteArray();
    QTest::newRow("unknown option") << QStringList{"--fromat", "asc", midnight} << 2 << "tavicon-log: Unknown option 'fromat'.*" << QByteArray();
    QTest::newRow("unknown format") << QStringList{"--format", "blf", midnight} << 2 << "tavicon-log: unknown format \"blf\"*" << QByteArray();
    QTest::newRow("bad date") << QStringList{"--date", "2026-13-01", "trip.txt"} << 2 << "tavicon-log: bad date*" << QByteArray();
    QTest::newRow("channel with a blank") << QStringList{"--channel", "can 0", midnight} << 2 << "tavicon-log: bad channel*" << QByteArray();
}

void TestTaviconLog::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, err);
    QFETCH(QByteArray, out);
    QTemporaryDir dir;
    const QString d = dir.path();
    writeTrafficLog(d, "20261207_235959_100.txt", {{"0", R, "23:59:59 500", D, Std, "0x00000123", "3", "11 22 33             "},
                                                   {"1", S, "00:00:00 250", D, Ext, "18fef100", "1", "aa"}});
    writeTrafficLog(d, "20261208_000001_000_2.txt", {{"0", R, "00:00:01 500", "远程帧", Std, "0x00000010", "2", "00 00"}});
    writeTrafficLog(d, "20261208_000002_000.txt", {{"0", R, "00:00:01 500", D, Std, "0x00000002", "0", " "},
                                                   {"1", R, "23:59:59 500", D, Std, "0x00000001", "0", " "}});
    writeTrafficLog(d, "trip.txt", {{"0", R, "23:59:59 500", D, Std, "0x00000123", "0", " "}});
    writeTrafficLog(d, "20261207_100000_000.txt", {{"0", R, "10:00:00 500", D, Std, "0x00000001", "0", " "},
                                                   {"1", R, "10:00:00 600", D, Std, "0x00000800", "0", " "},
                                                   {"2", R, "10:00"}});
    writeFileBytes(dir.filePath("cfg.txt"), "0,1000Kbps,0,00,00,00,00,ff,ff,ff,ff,0,0\n");

    const bool terminal = QByteArray(QTest::currentDataTag()).endsWith("terminal");
    const Run result = run(QStringLiteral(TAVICON_LOG), arguments, d, true, terminal);
    QCOMPARE(result.status, status);
    if (err.endsWith(QLatin1Char('*')))
        QVERIFY2(result.err.startsWith(err.chopped(1)), qPrintable(result.err));
    else
        QCOMPARE(result.err, err);
    QCOMPARE(result.out, out);
}

void TestTaviconLog::otherToolsReadTheOutput()
{
    const QString python = QStringLiteral("/usr/bin/python3");
    const QString log2asc = QStandardPaths::findExecutable(QStringLiteral("log2asc"));
    const QString tshark = QStandardPaths::findExecutable(QStringLiteral("tshark"));
    if (QProcess::execute(python, {"-c", "import can"}) != 0 || log2asc.isEmpty() || tshark.isEmpty())
        QSKIP("Debian's python3-can (for /usr/bin/python3), can-utils (log2asc) and tshark are needed; "
              "scripts/setup installs them");

    // A log saved by the real window: frames from the converter emulator, then
    // two sent from the manual table with identifiers as typed.
    EmulatorProcess emulator;
    QVERIFY(emulator.isRunning());
    WindowHarness window;
    window.openPort(emulator.portName());
    const QString name = QDateTime::currentDateTime().toString("yyyyMMdd_hhmmss_zzz") + ".txt";
    const quint64 before = receiveStats().canFrames;
    const int count = 60;
    emulator.command(QStringLiteral("gen %1 500 mixed remote=0.25 seed=9").arg(count));
    QVERIFY(!emulator.waitForLine(QStringLiteral("DONE "), 30000).isEmpty());
    QVERIFY(spinUntil([&] { return receiveStats().canFrames - before >= quint64(count); }, 30000));
    QTableWidget *manual = window.widget<QTableWidget>("tableWidget_2");
    manual->item(0, 0)->setText("1ab");
    manual->item(0, 1)->setText("01 02");
    manual->item(1, 0)->setText(" 0x18FEF100");
    manual->item(1, 1)->setText("11 22 33 44 55 66 77 88");
    window.clickCell("tableWidget_2", 0, 2);
    window.widget<QComboBox>("cbBoxType")->setCurrentIndex(1);
    window.clickCell("tableWidget_2", 1, 2);
    QCOMPARE(nextTrafficRow, count + 2);
    answerNextFileDialog(QDir(window.workDir()).filePath(name));
    window.click("btnViewSave");
    QList<QStringList> rows;
    for (int row = 0; row < count + 2; ++row) {
        rows.append(QStringList());
        for (int column = 0; column < 8; ++column)
            rows.last().append(window.cell(row, column));
    }
    QCOMPARE(rows.last().at(5), QStringLiteral(" 0x18FEF100"));
    const QTime firstTime = QTime::fromString(rows.first().at(2), "hh:mm:ss zzz");

    for (const QString out : {"out.log", "out.asc"}) {
        const bool asc = out.endsWith(".asc");
        const Run converted = run(QStringLiteral(TAVICON_LOG), {"--format", asc ? "asc" : "candump", "-o", out, name}, window.workDir());
        QCOMPARE(converted.status, 0);
        QCOMPARE(converted.err, QString());
        const Run read = run(python, {"-c", "import can, sys\n"
                                            "for m in can.LogReader(sys.argv[1]):\n"
                                            "    print(round(m.timestamp * 1000), m.arbitration_id, int(m.is_extended_id),"
                                            " int(m.is_remote_frame), m.dlc, bytes(m.data).hex() or '-', int(m.is_rx))", out},
                             window.workDir());
        QCOMPARE(read.err, QString());
        const QStringList lines = QString::fromLatin1(read.out).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), rows.size());
        const qint64 first = lines.first().section(' ', 0, 0).toLongLong();
        for (int i = 0; i < rows.size(); ++i) {
            const QStringList &texts = rows.at(i);
            const QStringList got = lines.at(i).split(' ');
            const bool remote = texts.at(3) == QStringLiteral("远程帧");
            const QString data = texts.at(7).simplified().remove(' ').toLower();
            const QTime time = QTime::fromString(texts.at(2), "hh:mm:ss zzz");
            if (asc)                                           // times from the first row
                QCOMPARE((got.at(0).toLongLong() - first + 86400000) % 86400000, qint64((firstTime.msecsTo(time) + 86400000) % 86400000));
            else                                               // absolute, in local time
                QCOMPARE(QDateTime::fromMSecsSinceEpoch(got.at(0).toLongLong()).time(), time);
            const QStringList expected = {QString::number(texts.at(5).trimmed().toUInt(nullptr, 16)),
                                          texts.at(4) == Ext ? "1" : "0", remote ? "1" : "0", texts.at(6),
                                          remote || data.isEmpty() ? "-" : data, asc && texts.at(1) == S ? "0" : "1"};
            QCOMPARE(got.mid(1), expected);
        }
    }

    const Run asc = run(log2asc, {"-I", "out.log", "-O", "can-utils.asc", "can0"}, window.workDir());
    QCOMPARE(asc.status, 0);
    const QRegularExpression frameLine(QStringLiteral("^\\s*\\d+\\.\\d+\\s+1\\s+[0-9A-F]+x?\\s+Rx\\s+[dr]\\s"),
                                       QRegularExpression::MultilineOption);
    int frameLines = 0;
    for (auto match = frameLine.globalMatch(QString::fromLatin1(fileBytes(QDir(window.workDir()).filePath("can-utils.asc")))); match.hasNext(); match.next())
        ++frameLines;
    QCOMPARE(frameLines, rows.size());

    // pcap: every row, sent ones too, at its absolute time.
    QCOMPARE(run(QStringLiteral(TAVICON_LOG), {"--format", "pcap", "-o", "out.pcap", name}, window.workDir()).status, 0);
    const Run dissected = run(tshark, QStringList{"-r", "out.pcap"} + tsharkCanFields({"frame.time_epoch"}), window.workDir());
    QCOMPARE(dissected.status, 0);
    const QStringList packets = QString::fromLatin1(dissected.out).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(packets.size(), rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        const QStringList &texts = rows.at(i);
        QStringList got = packets.at(i).split('\t');
        const bool remote = texts.at(3) == QStringLiteral("远程帧");
        QCOMPARE(QDateTime::fromMSecsSinceEpoch(qRound64(got.takeLast().toDouble() * 1000)).time(),
                 QTime::fromString(texts.at(2), "hh:mm:ss zzz"));
        const QStringList expected = {QString::number(texts.at(5).trimmed().toUInt(nullptr, 16)),
                                      texts.at(4) == Ext ? "1" : "0", remote ? "1" : "0", texts.at(6),
                                      remote ? QString(texts.at(6).toInt() * 2, '0')
                                             : texts.at(7).simplified().remove(' ').toLower()};
        QCOMPARE(got, expected);
    }
    const Run info = run(QStringLiteral("capinfos"), {"-c", "-M", "out.pcap"}, window.workDir());
    QVERIFY2(info.out.contains("Number of packets:   " + QByteArray::number(rows.size()) + '\n'), info.out.constData());
}

QTEST_MAIN(TestTaviconLog)
#include "test_taviconlog.moc"
