// The Wireshark capture interface: tshark finds it, captures the frames the
// converter emulator generates, and shows its refusals.

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "emulatorprocess.h"
#include "interop/pcap.h"
#include "support/tshark.h"

class TestExtcap : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void tsharkCaptures_data();
    void tsharkCaptures();
    void tsharkShowsRefusal();
    void tsharkSeesTheBusState();
    void refusals_data();
    void refusals();

private:
    QProcess *tshark(const QStringList &arguments);

    QTemporaryDir home;
};

void TestExtcap::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("tshark")).isEmpty())
        QSKIP("Debian's tshark is needed; scripts/setup installs it");
    // A per-user install, as the README describes it.
    QVERIFY(QDir(home.path()).mkpath(".config/wireshark/extcap"));
    QVERIFY(QFile::link(TAVICON_EXTCAP, home.filePath(".config/wireshark/extcap/tavicon-extcap")));
    QProcess *list = tshark({"-D"});
    QVERIFY(list->waitForFinished(30000));
    QVERIFY2(list->readAllStandardOutput().contains(". tavicon (Tavicon USB-to-CAN converter)\n"),
             list->readAllStandardError().constData());
}

QProcess *TestExtcap::tshark(const QStringList &arguments)
{
    auto *process = new QProcess(this);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.remove(QStringLiteral("XDG_CONFIG_HOME"));
    process->setProcessEnvironment(env);
    process->start(QStringLiteral("tshark"), arguments);
    return process;
}

void TestExtcap::tsharkCaptures_data()
{
    QTest::addColumn<QString>("portPreference");    // set to the emulator's port
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("setStart");          // as the emulator reports it
    QTest::newRow("defaults, standard frames") << "port" << QStringList() << "std"
        << "RX SETSTART code=02 bytes=aa55020301000000000000000000010000000007";
    QTest::newRow("typed path over the listed port") << "portpath" << QStringList{"-o", "extcap.tavicon.port:/dev/no-such-port"}
        << "std" << "RX SETSTART code=02 bytes=aa55020301000000000000000000010000000007";
    QTest::newRow("variable framing, listen-only, 250k, extended frames") << "port"
        << QStringList{"-o", "extcap.tavicon.framing:variable", "-o", "extcap.tavicon.listenonly:true",
                       "-o", "extcap.tavicon.bitrate:250000"} << "ext"
        << "RX SETSTART code=12 bytes=aa5512050100000000000000000201000000001b";
}

void TestExtcap::tsharkCaptures()
{
    QFETCH(QString, portPreference);
    QFETCH(QStringList, options);
    QFETCH(QString, format);
    QFETCH(QString, setStart);
    EmulatorProcess emulator;
    QVERIFY(emulator.isRunning());
    const int count = 50;
    QProcess *capture = tshark(QStringList{"-i", "tavicon", "-o", "extcap.tavicon." + portPreference + ':' + emulator.portName(),
                                           "-c", QString::number(count)} + options + tsharkCanFields());
    QCOMPARE(emulator.waitForLine("RX SETSTART", 30000), setStart);
    // Identifiers 0, 1, ...; the data holds the frame's number, low byte first.
    emulator.command(QStringLiteral("gen %1 2000 id=set:2048 data=seq format=%2").arg(count).arg(format));
    QVERIFY(!emulator.waitForLine("DONE ", 30000).isEmpty());
    QVERIFY(capture->waitForFinished(30000));
    const QStringList lines = QString::fromLatin1(capture->readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), count);
    for (int i = 0; i < count; ++i) {
        const QString data = QString::number(i, 16).rightJustified(2, '0') + QString(14, '0');
        QCOMPARE(lines.at(i), QStringList({QString::number(i), format == "ext" ? "1" : "0", "0", "8", data}).join('\t'));
    }
    const QByteArray err = capture->readAllStandardError();         // shown by Wireshark as an error
    QVERIFY2(!err.contains("Error by extcap pipe"), err.constData());
}

// Refused before the capture starts: tshark ends with the reason as its only error.
void TestExtcap::tsharkShowsRefusal()
{
    QProcess *capture = tshark({"-i", "tavicon", "-o", "extcap.tavicon.port:/dev/no-such-port"});
    QVERIFY(capture->waitForFinished(30000));
    const QStringList errors = QString::fromUtf8(capture->readAllStandardError()).split('\n').filter(QRegularExpression("^tshark: "));
    QCOMPARE(errors, QStringList{"tshark: Error by extcap pipe: tavicon-extcap: cannot open /dev/no-such-port: No such file or directory"});
}

// A converter already at the transmit warning level: the first bus status
// reply is captured as Linux's error frame, which tshark decodes.
void TestExtcap::tsharkSeesTheBusState()
{
    EmulatorProcess emulator({"--error-warning", "--tec", "100"});
    QVERIFY(emulator.isRunning());
    QProcess *capture = tshark({"-i", "tavicon", "-o", "extcap.tavicon.port:" + emulator.portName(), "-c", "1", "-T", "fields",
                                "-e", "can.flags.err", "-e", "can.err.ctrl", "-e", "can.err.ctrl.tx_warning", "-e", "can.len"});
    QVERIFY(capture->waitForFinished(30000));
    QCOMPARE(capture->readAllStandardOutput(), QByteArray("1\t1\t1\t8\n"));
}

void TestExtcap::refusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("err");               // its start
    const QStringList capture = {"--capture", "--extcap-interface", "tavicon", "--fifo", "fifo"};
    QTest::newRow("no request") << QStringList() << "tavicon-extcap: give one of --extcap-interfaces";
    QTest::newRow("unknown option") << QStringList{"--extcap-interfaces", "--speed"} << "tavicon-extcap: Unknown option 'speed'.";
    QTest::newRow("another interface") << QStringList{"--extcap-dlts", "--extcap-interface", "can0"}
                                       << "tavicon-extcap: no interface \"can0\"; this program offers \"tavicon\"";
    QTest::newRow("no port") << capture << "tavicon-extcap: no serial port given";
    QTest::newRow("bit rate not made") << capture + QStringList{"--port", "/dev/null", "--bitrate", "83300"}
        << "tavicon-extcap: --bitrate: the converter's clock cannot make 83300 bit/s exactly; nearest: 80000, 90000";
    QTest::newRow("framing") << capture + QStringList{"--port", "/dev/null", "--framing", "slcan"}
                             << "tavicon-extcap: --framing: \"slcan\" is not fixed or variable";
    QTest::newRow("capture filter") << capture + QStringList{"--port", "p", "--extcap-capture-filter", "can.id == 1"}
                                    << "tavicon-extcap: capture filters are not supported";
    QTest::newRow("missing port") << capture + QStringList{"--port", "/dev/no-such-port"}
                                  << "tavicon-extcap: cannot open /dev/no-such-port: No such file or directory";
    QTest::newRow("unknown option in a capture") << capture + QStringList{"--port", "/dev/null", "--speed"}
                                                 << "tavicon-extcap: Unknown option 'speed'.";
    QTest::newRow("capture without a fifo") << QStringList{"--capture", "--extcap-interface", "tavicon"} << "tavicon-extcap: --fifo is missing";
}

void TestExtcap::refusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, err);
    QTemporaryDir dir;
    QFile fifo(dir.filePath("fifo"));                // a plain file stands in: the extcap creates none
    QVERIFY(fifo.open(QIODevice::ReadWrite));
    QProcess extcap;
    extcap.setWorkingDirectory(dir.path());
    extcap.start(TAVICON_EXTCAP, arguments);
    QVERIFY(extcap.waitForFinished(10000));
    QCOMPARE(fifo.readAll(), arguments.contains("--fifo") ? pcapFileHeader() : QByteArray());   // before any refusal
    QCOMPARE(extcap.exitStatus(), QProcess::NormalExit);
    QCOMPARE(extcap.exitCode(), 1);
    const QString message = QString::fromUtf8(extcap.readAllStandardError());
    QVERIFY2(message.startsWith(err), qPrintable(message));
    QCOMPARE(message.contains("Try 'tavicon-extcap --help'"), !arguments.contains("--capture"));
    QCOMPARE(extcap.readAllStandardOutput(), QByteArray());
}

QTEST_GUILESS_MAIN(TestExtcap)
#include "test_extcap.moc"
