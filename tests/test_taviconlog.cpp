// The tavicon-log program: its exit status and messages, and its output read
// by CAN tools we did not write (python-can, can-utils).

#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "emulatorprocess.h"
#include "link/receivestats.h"
#include "support/ptypair.h"
#include "support/trafficlog.h"
#include "support/windowharness.h"

namespace {

const QString R = QStringLiteral("接受");
const QString S = QStringLiteral("发送");
const QString D = QStringLiteral("数据帧");
const QString Std = QStringLiteral("标准帧");
const QString Ext = QStringLiteral("扩展帧");

struct Run
{
    int status = -1;
    QByteArray out;
    QString err;
};

// `utc`: converting as on a machine whose local time is UTC.
Run run(const QString &program, const QStringList &arguments, const QString &workDir, bool utc = false)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (utc)
        env.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(workDir);
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.status = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

Run taviconLog(const QStringList &arguments, const QString &workDir, bool utc = false)
{
    return run(QStringLiteral(TAVICON_LOG), arguments, workDir, utc);
}

void writeLogs(const QString &dir)
{
    writeTrafficLog(dir, "20261207_235959_100.txt",
                    {{"0", R, "23:59:59 500", D, Std, "0x00000123", "3", "11 22 33             "},
                     {"1", S, "00:00:00 250", D, Ext, "18fef100", "1", "aa"}});
    writeTrafficLog(dir, "20261208_000001_000_2.txt", {{"0", R, "00:00:01 500", "远程帧", Std, "0x00000010", "2", "00 00"}});
    writeTrafficLog(dir, "20261208_000002_000.txt",             // saved after the view wrapped
                    {{"0", R, "00:00:01 500", D, Std, "0x00000002", "0", " "},
                     {"1", R, "23:59:59 500", D, Std, "0x00000001", "0", " "}});
    writeTrafficLog(dir, "trip.txt", {{"0", R, "23:59:59 500", D, Std, "0x00000123", "0", " "}});
    writeTrafficLog(dir, "20261207_100000_000.txt",
                    {{"0", R, "10:00:00 500", D, Std, "0x00000001", "0", " "},
                     {"1", R, "10:00:00 600", D, Std, "0x00000800", "0", " "},
                     {"2", R, "10:00"}});
    QFile settings(QDir(dir).filePath("cfg.txt"));
    if (!settings.open(QIODevice::WriteOnly) || settings.write("0,1000Kbps,0,00,00,00,00,ff,ff,ff,ff,0,0\n") < 0)
        qFatal("cannot write cfg.txt");
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
    QTest::newRow("a run past midnight") << QStringList{midnight, "20261208_000001_000_2.txt"} << 0 << QString()
        << QByteArray("(1796687999.500000) can0 123#112233\n"
                      "(1796688000.250000) can0 18FEF100#AA\n"
                      "(1796688001.500000) can0 010#R2\n");
    QTest::newRow("asc, channel ignored") << QStringList{"--format", "asc", "--channel", "vcan1", midnight} << 0 << QString()
        << QByteArray("date Mon Dec 07 11:59:59.500 pm 2026\nbase hex  timestamps absolute\nno internal events logged\n"
                      "   0.000000 1  123             Rx   d 3 11 22 33\n"
                      "   0.750000 1  18FEF100x       Tx   d 1 AA\n");
    QTest::newRow("asc, rows out of order") << QStringList{"--format", "asc", "20261208_000002_000.txt"} << 0 << QString()
        << QByteArray("date Mon Dec 07 11:59:59.500 pm 2026\nbase hex  timestamps absolute\nno internal events logged\n"
                      "   2.000000 1  2               Rx   d 0\n"
                      "   0.000000 1  1               Rx   d 0\n");
    QTest::newRow("date given") << QStringList{"--channel", "vcan1", "--date", "2027-03-01", "trip.txt"} << 0 << QString()
        << QByteArray("(1803945599.500000) vcan1 123#\n");
    QTest::newRow("rows skipped") << QStringList{"20261207_100000_000.txt"} << 1
        << "20261207_100000_000.txt:3: identifier 800 above 7FF for a standard frame\n"
           "20261207_100000_000.txt:4: line ends early: 60 of at least 140 characters\n"
        << QByteArray("(1796637600.500000) can0 001#\n");
    QTest::newRow("no date") << QStringList{midnight, "trip.txt"} << 2
        << "trip.txt: no date in the file name; give it with --date yyyy-MM-dd\n" << QByteArray();
    QTest::newRow("another kind of file") << QStringList{"20261207_235959_100.txt", "--date", "2026-01-01", "cfg.txt"} << 2
        << "cfg.txt:1: not a traffic log: the first line is not its header line\n" << QByteArray();
    QTest::newRow("missing file") << QStringList{"20261207_000000_000.txt"} << 2
        << "20261207_000000_000.txt: cannot be read\n" << QByteArray();
    QTest::newRow("output folder missing") << QStringList{"-o", "no/such/out.log", midnight} << 2
        << "no/such/out.log: cannot be written\n" << QByteArray();
    QTest::newRow("output over a log file") << QStringList{"-o", midnight, midnight} << 2
        << "tavicon-log: the output file 20261207_235959_100.txt is one of the log files*" << QByteArray();
    QTest::newRow("unknown option") << QStringList{"--fromat", "asc", midnight} << 2 << "tavicon-log: Unknown option 'fromat'.*" << QByteArray();
    QTest::newRow("unknown format") << QStringList{"--format", "blf", midnight} << 2 << "tavicon-log: unknown format \"blf\"*" << QByteArray();
    QTest::newRow("bad date") << QStringList{"--date", "2026-13-01", "trip.txt"} << 2 << "tavicon-log: bad date*" << QByteArray();
    QTest::newRow("channel with a blank") << QStringList{"--channel", "can 0", midnight} << 2 << "tavicon-log: bad channel*" << QByteArray();
    QTest::newRow("no file") << QStringList{"--format", "asc"} << 2 << "tavicon-log: no log file given*" << QByteArray();
}

void TestTaviconLog::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, err);
    QFETCH(QByteArray, out);
    QTemporaryDir dir;
    writeLogs(dir.path());
    const Run result = taviconLog(arguments, dir.path(), true);
    QCOMPARE(result.status, status);
    if (err.endsWith(QLatin1Char('*')))
        QVERIFY2(result.err.startsWith(err.chopped(1)), qPrintable(result.err));
    else
        QCOMPARE(result.err, err);
    QCOMPARE(result.out, out);

    if (status == 0) {                            // the same into a file
        const Run toFile = taviconLog(QStringList{"-o", "out.log"} + arguments, dir.path(), true);
        QCOMPARE(toFile.status, 0);
        QVERIFY(toFile.out.isEmpty());
        QFile file(dir.filePath("out.log"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), out);
    }
}

void TestTaviconLog::otherToolsReadTheOutput()
{
    const QString python = QStringLiteral("/usr/bin/python3");
    const QString log2asc = QStandardPaths::findExecutable(QStringLiteral("log2asc"));
    if (QProcess::execute(python, {"-c", "import can"}) != 0 || log2asc.isEmpty())
        QSKIP("Debian's python3-can (for /usr/bin/python3) and can-utils (log2asc) are needed; scripts/setup installs them");

    // Rows of the real window from the converter emulator, saved as its log
    // writer lays them out, and two sent rows with identifiers as typed.
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
    QList<QStringList> rows;
    for (int row = 0; row < count; ++row) {
        QStringList texts;
        for (int column = 0; column < 8; ++column)
            texts.append(window.cell(row, column));
        rows.append(texts);
    }
    const QString last = rows.last().at(2);
    rows.append({QString::number(count), S, last, D, Std, "1ab", "2", "01 02"});
    rows.append({QString::number(count + 1), S, last, D, Ext, " 0x18FEF100", "8", "11 22 33 44 55 66 77 88"});
    writeTrafficLog(window.workDir(), name, rows);

    for (const QString format : {"candump", "asc"}) {
        const QString outName = format == QLatin1String("asc") ? "out.asc" : "out.log";
        const Run converted = taviconLog({"--format", format, "-o", outName, name}, window.workDir());
        QCOMPARE(converted.status, 0);
        QCOMPARE(converted.err, QString());
        const Run read = run(python, {"-c", "import can, sys\n"
                                            "for m in can.LogReader(sys.argv[1]):\n"
                                            "    print(round(m.timestamp * 1000), m.arbitration_id, int(m.is_extended_id),"
                                            " int(m.is_remote_frame), m.dlc, bytes(m.data).hex() or '-', int(m.is_rx))",
                                      outName},
                             window.workDir());
        QCOMPARE(read.err, QString());
        const QStringList lines = QString::fromLatin1(read.out).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), rows.size());
        const qint64 first = lines.first().section(' ', 0, 0).toLongLong();
        for (int i = 0; i < rows.size(); ++i) {
            const QStringList &texts = rows.at(i);
            const QStringList got = lines.at(i).split(' ');
            const bool remote = texts.at(3) == QStringLiteral("远程帧");
            const QString data = remote ? "-" : texts.at(7).simplified().remove(' ').toLower();
            const QTime time = QTime::fromString(texts.at(2), "hh:mm:ss zzz");
            const qint64 msecs = got.at(0).toLongLong();
            if (format == QLatin1String("candump"))          // absolute times, in local time
                QCOMPARE(QDateTime::fromMSecsSinceEpoch(msecs).time(), time);
            else                                              // times from the first row
                QCOMPARE((msecs - first) % 86400000,
                         (QTime::fromString(rows.first().at(2), "hh:mm:ss zzz").msecsTo(time) + 86400000) % 86400000);
            QCOMPARE(got.at(1).toUInt(), texts.at(5).trimmed().toUInt(nullptr, 16));
            QCOMPARE(got.at(2), QString(texts.at(4) == Ext ? "1" : "0"));
            QCOMPARE(got.at(3), QString(remote ? "1" : "0"));
            QCOMPARE(got.at(4), texts.at(6));
            QCOMPARE(got.at(5), data.isEmpty() ? QString("-") : data);
            if (format == QLatin1String("asc"))
                QCOMPARE(got.at(6), QString(texts.at(1) == S ? "0" : "1"));
        }
    }

    const Run asc = run(log2asc, {"-I", "out.log", "-O", "can-utils.asc", "can0"}, window.workDir());
    QCOMPARE(asc.status, 0);
    QFile file(QDir(window.workDir()).filePath("can-utils.asc"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QRegularExpression frameLine(QStringLiteral("^\\s*\\d+\\.\\d+\\s+1\\s+[0-9A-F]+x?\\s+Rx\\s+[dr]\\s"));
    int frameLines = 0;
    for (const QByteArray &line : file.readAll().split('\n'))
        frameLines += frameLine.match(QString::fromLatin1(line)).hasMatch();
    QCOMPARE(frameLines, rows.size());
}

QTEST_MAIN(TestTaviconLog)
#include "test_taviconlog.moc"
