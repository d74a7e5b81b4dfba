// The converter emulator, driven as a separate process the way other tests and
// people use it: its standard output lines, its commands on standard input,
// and the exact bytes on the serial end of its pseudo-terminal.

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "link/framescanner.h"

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// Builds a 20-byte command: 0xAA 0x55, code, body bytes 3..18, sum of bytes 2..18.
QByteArray fixedCommand(quint8 code, const QMap<int, quint8> &bytes = {})
{
    QByteArray out(20, '\0');
    out[0] = char(0xAA);
    out[1] = char(0x55);
    out[2] = char(code);
    for (auto it = bytes.begin(); it != bytes.end(); ++it)
        out[it.key()] = char(it.value());
    quint8 sum = 0;
    for (int i = 2; i < 19; ++i)
        sum = quint8(sum + quint8(out[i]));
    out[19] = char(sum);
    return out;
}

const QByteArray statusQuery = hex("AA 55 04 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 04");
const QByteArray fixedStd123 = hex("AA 55 01 01 01 23 01 00 00 03 11 22 33 00 00 00 00 00 00 90");
const QByteArray variableStd123 = hex("AA C3 23 01 11 22 33 55");

// The running emulator: its output lines in order, and commands to it.
class Emulator
{
public:
    ~Emulator()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.write("quit\n");
        if (!process.waitForFinished(3000))
            process.kill();
        process.waitForFinished(1000);
    }

    bool start(const QStringList &args)
    {
        process.start(QStringLiteral(CONVERTER_EMULATOR), args);
        if (!process.waitForStarted(5000))
            return false;
        QByteArray line;
        if (!nextLine(&line) || !line.startsWith("PORT "))
            return false;
        port = QString::fromLocal8Bit(line.mid(5));
        return true;
    }

    void command(const QByteArray &text) { process.write(text + '\n'); }

    // The next output line; false when none comes within `timeoutMs`.
    bool nextLine(QByteArray *line, int timeoutMs = 5000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!buffered.contains('\n')) {
            if (process.state() == QProcess::NotRunning) {
                buffered += process.readAllStandardOutput();
                if (buffered.contains('\n'))
                    break;
                return false;
            }
            if (deadline.hasExpired())
                return false;
            process.waitForReadyRead(int(qBound(qint64(1), deadline.remainingTime(), qint64(20))));
            buffered += process.readAllStandardOutput();
        }
        const int end = int(buffered.indexOf('\n'));
        *line = buffered.left(end);
        buffered.remove(0, end + 1);
        return true;
    }

    // The next output line that starts with `prefix`; the lines before it are skipped.
    QByteArray lineStartingWith(const QByteArray &prefix, int timeoutMs = 5000)
    {
        QByteArray line;
        QDeadlineTimer deadline(timeoutMs);
        while (nextLine(&line, int(qMax<qint64>(1, deadline.remainingTime())))) {
            if (line.startsWith(prefix))
                return line;
        }
        return QByteArray();
    }

    QProcess process;
    QString port;

private:
    QByteArray buffered;
};

// The host's end of the line: the pty's serial end opened as a raw file.
class SerialEnd
{
public:
    explicit SerialEnd(const QString &path)
    {
        fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0)
            return;
        termios tio {};
        tcgetattr(fd, &tio);
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
    }
    ~SerialEnd()
    {
        if (fd >= 0)
            ::close(fd);
    }
    bool isOpen() const { return fd >= 0; }

    void write(const QByteArray &bytes)
    {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n > 0)
                done += n;
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                return;
            else
                waitFor(POLLOUT, 10);
        }
    }

    // Reads until `count` bytes have come or `timeoutMs` has passed.
    QByteArray read(int count, int timeoutMs = 5000)
    {
        QByteArray got;
        QDeadlineTimer deadline(timeoutMs);
        while (got.size() < count && !deadline.hasExpired()) {
            got += readAvailable();
            if (got.size() < count)
                waitFor(POLLIN, 10);
        }
        return got;
    }

    QByteArray readAvailable()
    {
        QByteArray got;
        char buf[65536];
        ssize_t n;
        while ((n = ::read(fd, buf, sizeof buf)) > 0)
            got.append(buf, int(n));
        return got;
    }

private:
    void waitFor(short events, int ms)
    {
        pollfd p { fd, events, 0 };
        ::poll(&p, 1, ms);
    }

    int fd = -1;
};

struct Received
{
    CanFrame frame;
    FrameFraming framing;
};

struct Collector : FrameSink
{
    QList<Received> frames;
    QList<QByteArray> otherFixed;
    void canFrameReceived(const CanFrame &frame, FrameFraming framing) override
    {
        frames.append({ frame, framing });
    }
    void fixedFrameReceived(const char *payload) override { otherFixed.append(QByteArray(payload, 17)); }
};

// Reads the serial end while the emulator generates, until its DONE line and
// then until the byte count it names has arrived (the pty may still be handing
// over the last bytes when DONE is printed).
QByteArray collectRun(Emulator &emulator, SerialEnd &serial, QByteArray *doneLine)
{
    QByteArray bytes;
    QDeadlineTimer deadline(20000);
    QByteArray line;
    while (!deadline.hasExpired()) {
        bytes += serial.readAvailable();
        if (emulator.nextLine(&line, 5) && line.startsWith("DONE ")) {
            *doneLine = line;
            const int total = line.mid(line.indexOf(" bytes=") + 7).toInt();
            if (bytes.size() < total)
                bytes += serial.read(total - int(bytes.size()));
            bytes += serial.read(1, 50);             // anything beyond would be an error
            return bytes;
        }
    }
    return bytes;
}

QByteArray seqData(quint32 number)
{
    QByteArray data(8, '\0');
    for (int i = 0; i < 4; ++i)
        data[i] = char((number >> (8 * i)) & 0xFF);
    return data;
}

} // namespace

class TestEmulator : public QObject
{
    Q_OBJECT

private slots:
    void helpExitsWithUsage();
    void busStatusReply_data();
    void busStatusReply();
    void generatedFramesDecode_data();
    void generatedFramesDecode();
    void autoFramingFollowsSetStart_data();
    void autoFramingFollowsSetStart();
    void loopbackEcho_data();
    void loopbackEcho();
    void hostMessagesReported_data();
    void hostMessagesReported();
    void consoleCommands_data();
    void consoleCommands();
    void rawWritesExactBytes();
    void exitWhenDoneQuitsAfterTheRun();
    void linkPointsAtSerialEndAndGoesAway();
    void receiveFilterAppliesToGeneratedFrames_data();
    void receiveFilterAppliesToGeneratedFrames();
    void loopbackEchoIsNotFiltered();
};

void TestEmulator::helpExitsWithUsage()
{
    QProcess process;
    process.start(QStringLiteral(CONVERTER_EMULATOR), { QStringLiteral("--help") });
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    const QByteArray usage = process.readAllStandardOutput();
    for (const char *word : { "--count", "--rate", "--framing", "--id", "--format", "--data",
                              "--remote-share", "--noise", "--seed", "--delay", "--exit-when-done",
                              "--rec", "--tec", "--bus-off", "--error-passive", "--error-warning",
                              "--link", "--quit-on-eof", "gen <count>", "status", "raw <hex>", "quit" })
        QVERIFY2(usage.contains(word), word);
}

void TestEmulator::busStatusReply_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("statusCommand");
    QTest::addColumn<int>("rec");
    QTest::addColumn<int>("tec");
    QTest::addColumn<int>("busOff");
    QTest::addColumn<int>("passive");
    QTest::addColumn<int>("warning");

    QTest::newRow("power-up all clear") << QStringList() << QByteArray() << 0 << 0 << 0 << 0 << 0;
    QTest::newRow("counters from options")
        << QStringList { "--rec", "12", "--tec", "200" } << QByteArray() << 12 << 200 << 0 << 0 << 0;
    QTest::newRow("every flag from options")
        << QStringList { "--rec", "127", "--tec", "255", "--bus-off", "--error-passive", "--error-warning" }
        << QByteArray() << 127 << 255 << 1 << 1 << 1;
    QTest::newRow("warning only") << QStringList { "--error-warning" } << QByteArray() << 0 << 0 << 0 << 0 << 1;
    QTest::newRow("status command on top of options")
        << QStringList { "--rec", "1" } << QByteArray("status tec=9 off=1 warning=1") << 1 << 9 << 1 << 0 << 1;
    QTest::newRow("status command clears flags")
        << QStringList { "--bus-off", "--tec", "5" } << QByteArray("status off=0 passive=1 rec=77")
        << 77 << 5 << 0 << 1 << 0;
}

void TestEmulator::busStatusReply()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, statusCommand);
    QFETCH(int, rec);
    QFETCH(int, tec);
    QFETCH(int, busOff);
    QFETCH(int, passive);
    QFETCH(int, warning);

    Emulator emulator;
    QVERIFY(emulator.start(args));
    SerialEnd serial(emulator.port);
    QVERIFY(serial.isOpen());
    if (!statusCommand.isEmpty()) {
        emulator.command(statusCommand);
        QCOMPARE(emulator.lineStartingWith("OK"), QByteArray("OK status"));
    }

    serial.write(statusQuery);
    QCOMPARE(emulator.lineStartingWith("RX "), QByteArray("RX STATUSQUERY"));
    const QByteArray expected = fixedCommand(0x04, { { 5, quint8(rec) }, { 6, quint8(tec) }, { 7, quint8(busOff) },
                                                     { 8, quint8(passive) }, { 9, quint8(warning) } });
    QCOMPARE(serial.read(20).toHex(' '), expected.toHex(' '));
    QCOMPARE(serial.read(1, 100), QByteArray());     // nothing beyond the reply
}

void TestEmulator::generatedFramesDecode_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("genCommand");     // empty: generated by the options
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("framing");           // fixed, variable, mixed
    QTest::addColumn<QString>("format");            // std, ext, random
    QTest::addColumn<QByteArray>("data");           // "seq", "random" or hex bytes
    QTest::addColumn<qint64>("id");                 // -1 = random, -N = frame k carries k mod N
    QTest::addColumn<bool>("remote");
    QTest::addColumn<bool>("noise");

    QTest::newRow("fixed std seq")
        << QStringList { "--count", "300", "--framing", "fixed", "--format", "std", "--data", "seq", "--seed", "1" }
        << QByteArray() << 300 << "fixed" << "std" << QByteArray("seq") << qint64(-1) << false << false;
    QTest::newRow("variable ext seq")
        << QStringList { "--count", "300", "--framing", "variable", "--format", "ext", "--data", "seq" }
        << QByteArray() << 300 << "variable" << "ext" << QByteArray("seq") << qint64(-1) << false << false;
    QTest::newRow("mixed random format seq")
        << QStringList { "--count", "301", "--framing", "mixed", "--data", "seq", "--seed", "7" }
        << QByteArray() << 301 << "mixed" << "random" << QByteArray("seq") << qint64(-1) << false << false;
    QTest::newRow("mixed random data with noise")
        << QStringList { "--count", "400", "--framing", "mixed", "--noise", "0.5", "--seed", "3" }
        << QByteArray() << 400 << "mixed" << "random" << QByteArray("random") << qint64(-1) << false << true;
    QTest::newRow("seq with noise every frame")
        << QStringList { "--count", "200", "--framing", "mixed", "--data", "seq", "--noise", "1" }
        << QByteArray() << 200 << "mixed" << "random" << QByteArray("seq") << qint64(-1) << false << true;
    QTest::newRow("fixed id and data")
        << QStringList { "--count", "50", "--framing", "mixed", "--id", "1abcdef", "--format", "ext", "--data", "0102aa" }
        << QByteArray() << 50 << "mixed" << "ext" << QByteArray("0102aa") << qint64(0x1abcdef) << false << false;
    QTest::newRow("remote frames")
        << QStringList { "--count", "40", "--framing", "fixed", "--remote-share", "1", "--data", "seq" }
        << QByteArray() << 40 << "fixed" << "random" << QByteArray("seq") << qint64(-1) << true << false;
    QTest::newRow("paced")
        << QStringList { "--count", "60", "--rate", "600", "--framing", "variable", "--data", "seq" }
        << QByteArray() << 60 << "variable" << "random" << QByteArray("seq") << qint64(-1) << false << false;
    QTest::newRow("gen command")
        << QStringList() << QByteArray("gen 250 0 variable data=seq format=std seed=5")
        << 250 << "variable" << "std" << QByteArray("seq") << qint64(-1) << false << false;
    QTest::newRow("gen command paced with keys")
        << QStringList { "--format", "ext" } << QByteArray("gen 30 1000 fixed id=7ff data=00 noise=0.3 seed=11")
        << 30 << "fixed" << "ext" << QByteArray("00") << qint64(0x7ff) << false << true;
    QTest::newRow("identifiers from a set of 7")
        << QStringList() << QByteArray("gen 30 0 fixed id=set:7 data=seq")
        << 30 << "fixed" << "random" << QByteArray("seq") << qint64(-7) << false << false;
}

void TestEmulator::generatedFramesDecode()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, genCommand);
    QFETCH(int, count);
    QFETCH(QString, framing);
    QFETCH(QString, format);
    QFETCH(QByteArray, data);
    QFETCH(qint64, id);
    QFETCH(bool, remote);
    QFETCH(bool, noise);

    Emulator emulator;
    // The serial end is opened before the run can start: a delay leaves time for it.
    QVERIFY(emulator.start(args << QStringLiteral("--delay") << QStringLiteral("100")));
    SerialEnd serial(emulator.port);
    QVERIFY(serial.isOpen());
    if (!genCommand.isEmpty()) {
        emulator.command(genCommand);
        QCOMPARE(emulator.lineStartingWith("OK"), QByteArray("OK gen"));
    }

    QByteArray done;
    const QByteArray bytes = collectRun(emulator, serial, &done);
    QCOMPARE(done, "DONE sent=" + QByteArray::number(count) + " bytes=" + QByteArray::number(bytes.size()));

    FrameScanner scanner;
    Collector got;
    scanner.feed(bytes, got);
    QCOMPARE(got.frames.size(), count);
    QVERIFY(got.otherFixed.isEmpty());
    QCOMPARE(scanner.pendingSize(), 0);

    int frameBytes = 0;
    for (int i = 0; i < count; ++i) {
        const CanFrame &f = got.frames[i].frame;
        const FrameFraming expectedFraming = framing == QLatin1String("fixed")      ? FrameFraming::Fixed
                                           : framing == QLatin1String("variable")   ? FrameFraming::Variable
                                           : i % 2 == 0                             ? FrameFraming::Fixed
                                                                                    : FrameFraming::Variable;
        QCOMPARE(got.frames[i].framing, expectedFraming);
        frameBytes += expectedFraming == FrameFraming::Fixed
                          ? 20
                          : f.length + (f.format == FrameFormat::Extended ? 7 : 5);
        if (format == QLatin1String("std"))
            QCOMPARE(f.format, FrameFormat::Standard);
        else if (format == QLatin1String("ext"))
            QCOMPARE(f.format, FrameFormat::Extended);
        else
            QVERIFY(f.format == FrameFormat::Standard || f.format == FrameFormat::Extended);
        if (id >= 0)
            QCOMPARE(f.identifier, quint32(id));
        else if (id < -1)
            QCOMPARE(f.identifier, quint32(i % -id));
        else
            QVERIFY2(f.identifier < (f.format == FrameFormat::Standard ? 0x800u : 0x20000000u),
                     qPrintable(QString::number(f.identifier, 16)));
        QCOMPARE(f.remote, remote);
        if (data == "seq")
            QCOMPARE(f.data.toHex(), seqData(quint32(i)).toHex());
        else if (data == "random")
            QVERIFY(f.length >= 0 && f.length <= 8);
        else
            QCOMPARE(f.data.toHex(), data);
        QCOMPARE(f.length, int(f.data.size()));
    }
    // Noise bytes sit between the frames and hide none of them.
    if (noise)
        QVERIFY2(bytes.size() > frameBytes, "expected noise bytes between frames");
    else
        QCOMPARE(bytes.size(), frameBytes);
}

void TestEmulator::autoFramingFollowsSetStart_data()
{
    QTest::addColumn<int>("setStartCode");         // 0: no set-and-start
    QTest::addColumn<bool>("variable");

    QTest::newRow("power-up fixed") << 0 << false;
    QTest::newRow("table timing fixed") << 0x02 << false;
    QTest::newRow("manual timing fixed") << 0x03 << false;
    QTest::newRow("table timing variable") << 0x12 << true;
    QTest::newRow("manual timing variable") << 0x13 << true;
}

void TestEmulator::autoFramingFollowsSetStart()
{
    QFETCH(int, setStartCode);
    QFETCH(bool, variable);

    Emulator emulator;
    QVERIFY(emulator.start({}));
    SerialEnd serial(emulator.port);
    QVERIFY(serial.isOpen());
    if (setStartCode) {
        const QByteArray command = fixedCommand(quint8(setStartCode), { { 3, 5 }, { 4, 1 } });
        serial.write(command);
        QCOMPARE(emulator.lineStartingWith("RX "),
                 "RX SETSTART code=" + QByteArray::number(setStartCode, 16).rightJustified(2, '0')
                     + " bytes=" + command.toHex());
    }
    emulator.command("gen 40 0 auto data=seq");
    QByteArray done;
    const QByteArray bytes = collectRun(emulator, serial, &done);
    QVERIFY(done.startsWith("DONE sent=40 "));

    FrameScanner scanner;
    Collector got;
    scanner.feed(bytes, got);
    QCOMPARE(got.frames.size(), 40);
    for (int i = 0; i < 40; ++i) {
        QCOMPARE(got.frames[i].framing, variable ? FrameFraming::Variable : FrameFraming::Fixed);
        QCOMPARE(got.frames[i].frame.data.toHex(), seqData(quint32(i)).toHex());
    }
}

void TestEmulator::loopbackEcho_data()
{
    QTest::addColumn<int>("setStartCode");          // 0: none since power-up
    QTest::addColumn<int>("byte13");
    QTest::addColumn<int>("byte18");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("echo");           // empty: no echo

    QTest::newRow("power-up normal") << 0 << 0 << 0 << fixedStd123 << QByteArray();
    QTest::newRow("table loopback, fixed") << 0x02 << 1 << 0 << fixedStd123 << fixedStd123;
    QTest::newRow("table loopback, variable frame echoed fixed") << 0x02 << 1 << 0 << variableStd123 << fixedStd123;
    QTest::newRow("table loopback+silent, variable") << 0x12 << 3 << 0 << fixedStd123 << variableStd123;
    QTest::newRow("manual loopback, fixed") << 0x03 << 0 << 1 << variableStd123 << fixedStd123;
    QTest::newRow("manual loopback+silent, variable") << 0x13 << 0 << 3 << variableStd123 << variableStd123;
    QTest::newRow("table normal") << 0x02 << 0 << 0 << fixedStd123 << QByteArray();
    QTest::newRow("table silent") << 0x12 << 2 << 0 << variableStd123 << QByteArray();
    QTest::newRow("manual timing ignores byte 13") << 0x03 << 1 << 0 << fixedStd123 << QByteArray();
    QTest::newRow("table timing ignores byte 18") << 0x02 << 0 << 1 << fixedStd123 << QByteArray();
}

void TestEmulator::loopbackEcho()
{
    QFETCH(int, setStartCode);
    QFETCH(int, byte13);
    QFETCH(int, byte18);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, echo);

    Emulator emulator;
    QVERIFY(emulator.start({}));
    SerialEnd serial(emulator.port);
    QVERIFY(serial.isOpen());
    if (setStartCode) {
        serial.write(fixedCommand(quint8(setStartCode), { { 13, quint8(byte13) }, { 18, quint8(byte18) } }));
        QVERIFY(emulator.lineStartingWith("RX ").startsWith("RX SETSTART"));
    }
    serial.write(sent);
    QVERIFY(emulator.lineStartingWith("RX ").startsWith("RX CAN"));
    // The status reply is queued after any echo, so it marks where an echo would end.
    serial.write(statusQuery);
    QCOMPARE(emulator.lineStartingWith("RX "), QByteArray("RX STATUSQUERY"));
    const QByteArray reply = fixedCommand(0x04);
    QCOMPARE(serial.read(int(echo.size() + reply.size())).toHex(' '), (echo + reply).toHex(' '));
}

void TestEmulator::hostMessagesReported_data()
{
    QTest::addColumn<QList<QByteArray>>("pieces");   // written with pauses between them
    QTest::addColumn<QByteArray>("line");

    const QByteArray filterTwo = hex("AA 55 10 02 23 01 00 00 F0 DE BC 1A DA");
    QTest::newRow("filter, two ids") << QList<QByteArray> { filterTwo }
        << QByteArray("RX FILTER code=10 count=2 bytes=" + filterTwo.toHex());
    QTest::newRow("filter, pass all") << QList<QByteArray> { hex("AA 55 11 00 11") }
        << QByteArray("RX FILTER code=11 count=0 bytes=aa55110011");
    QByteArray filterFifty = hex("AA 55 11 32");
    for (int i = 0; i < 50; ++i)
        filterFifty += hex("78 56 34 12");
    quint8 sum = 0;
    for (int i = 2; i < filterFifty.size(); ++i)
        sum = quint8(sum + quint8(filterFifty[i]));
    filterFifty += char(sum);
    QTest::newRow("filter, fifty ids in pieces")
        << QList<QByteArray> { filterFifty.left(3), filterFifty.mid(3, 100), filterFifty.mid(103) }
        << QByteArray("RX FILTER code=11 count=50 bytes=" + filterFifty.toHex());
    QTest::newRow("speed change") << QList<QByteArray> { hex("AA 55 06 05 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 0B") }
        << QByteArray("RX SPEED index=5 speed=9600");
    const QByteArray setStart = hex("AA 55 13 00 02 78 56 34 12 FF FF FF 1F 00 05 04 2C 01 01 7C");
    QTest::newRow("speed change, unknown index") << QList<QByteArray> { fixedCommand(0x06, { { 3, 6 } }) }
        << QByteArray("RX SPEED index=6 speed=none");
    QTest::newRow("set-and-start") << QList<QByteArray> { setStart }
        << QByteArray("RX SETSTART code=13 bytes=" + setStart.toHex());
    QTest::newRow("status query") << QList<QByteArray> { statusQuery } << QByteArray("RX STATUSQUERY");
    QTest::newRow("CAN fixed std") << QList<QByteArray> { fixedStd123 }
        << QByteArray("RX CAN fixed std data id=00000123 len=3 data=112233");
    QTest::newRow("CAN fixed ext")
        << QList<QByteArray> { hex("AA 55 01 02 01 78 56 34 12 08 01 02 03 04 05 06 07 08 00 44") }
        << QByteArray("RX CAN fixed ext data id=12345678 len=8 data=0102030405060708");
    QTest::newRow("CAN fixed remote, split")
        << QList<QByteArray> { hex("AA 55 01 01 02 23 01"), hex("00 00 00 00 00 00 00 00 00 00 00 00 28") }
        << QByteArray("RX CAN fixed std remote id=00000123 len=0 data=");
    QTest::newRow("CAN variable std") << QList<QByteArray> { variableStd123 }
        << QByteArray("RX CAN variable std data id=00000123 len=3 data=112233");
    QTest::newRow("CAN variable ext remote") << QList<QByteArray> { hex("AA F0 78 56 34 12 55") }
        << QByteArray("RX CAN variable ext remote id=12345678 len=0 data=");
    QTest::newRow("CAN variable, byte by byte")
        << QList<QByteArray> { hex("AA"), hex("E2"), hex("01 00"), hex("00 00 AA"), hex("55 55") }
        << QByteArray("RX CAN variable ext data id=00000001 len=2 data=aa55");
    QTest::newRow("garbage before a frame") << QList<QByteArray> { hex("00 AA 13 55 AA 55 99") + variableStd123 }
        << QByteArray("RX CAN variable std data id=00000123 len=3 data=112233");
    QByteArray badSum = fixedStd123;
    badSum[19] = char(0x91);
    QTest::newRow("wrong sum skipped") << QList<QByteArray> { badSum, statusQuery } << QByteArray("RX STATUSQUERY");
    QTest::newRow("filter with wrong sum skipped")
        << QList<QByteArray> { hex("AA 55 10 01 01 00 00 00 00"), variableStd123 }
        << QByteArray("RX CAN variable std data id=00000123 len=3 data=112233");
    QTest::newRow("unknown code skipped")
        << QList<QByteArray> { fixedCommand(0x07), hex("AA 55 11 00 11") }
        << QByteArray("RX FILTER code=11 count=0 bytes=aa55110011");
}

void TestEmulator::hostMessagesReported()
{
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(QByteArray, line);

    Emulator emulator;
    QVERIFY(emulator.start({}));
    SerialEnd serial(emulator.port);
    QVERIFY(serial.isOpen());
    for (const QByteArray &piece : pieces) {
        serial.write(piece);
        QTest::qWait(30);
    }
    QCOMPARE(emulator.lineStartingWith("RX "), line);
    // Exactly one message: nothing else is reported after it.
    serial.write(hex("AA 55 06 02 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 08"));
    QCOMPARE(emulator.lineStartingWith("RX "), QByteArray("RX SPEED index=2 speed=115200"));
}

void TestEmulator::consoleCommands_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("status") << QByteArray("status rec=3 passive=1") << QByteArray("OK status");
    QTest::newRow("status nothing") << QByteArray("status") << QByteArray("OK status");
    QTest::newRow("status counter too big") << QByteArray("status rec=300") << QByteArray("ERR rec must be 0..255");
    QTest::newRow("status flag not 0 or 1") << QByteArray("status off=2") << QByteArray("ERR off must be 0 or 1");
    QTest::newRow("status unknown key") << QByteArray("status speed=1") << QByteArray("ERR unknown status key speed");
    QTest::newRow("gen without count") << QByteArray("gen") << QByteArray("ERR gen needs a frame count");
    QTest::newRow("gen bad framing") << QByteArray("gen 5 0 wide")
        << QByteArray("ERR framing must be fixed, variable, mixed or auto");
    QTest::newRow("gen bad data") << QByteArray("gen 5 data=123")
        << QByteArray("ERR data must be up to 8 hexadecimal bytes, random or seq");
    QTest::newRow("gen zero frames") << QByteArray("gen 0") << QByteArray("OK gen");
    QTest::newRow("raw odd digits") << QByteArray("raw abc")
        << QByteArray("ERR raw needs an even number of hexadecimal digits");
    QTest::newRow("raw not hex") << QByteArray("raw zz") << QByteArray("ERR raw needs an even number of hexadecimal digits");
    QTest::newRow("unknown") << QByteArray("frobnicate now") << QByteArray("ERR unknown command frobnicate");
    QTest::newRow("quit") << QByteArray("quit") << QByteArray("OK quit");
}

void TestEmulator::consoleCommands()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, answer);

    Emulator emulator;
    QVERIFY(emulator.start({}));
    emulator.command(command);
    QByteArray line;
    QVERIFY(emulator.nextLine(&line));
    QCOMPARE(line, answer);
    if (command == "quit") {
        QVERIFY(emulator.process.waitForFinished(3000));
        QCOMPARE(emulator.process.exitCode(), 0);
    }
}

void TestEmulator::rawWritesExactBytes()
{
    Emulator emulator;
    QVERIFY(emulator.start({}));
    SerialEnd serial(emulator.port);
    QVERIFY(serial.isOpen());
    emulator.command("raw aa55 01ff 00AA");
    QCOMPARE(emulator.lineStartingWith("OK"), QByteArray("OK raw"));
    QCOMPARE(serial.read(6).toHex(' '), QByteArray("aa 55 01 ff 00 aa"));
    // A broken frame goes out as it is.
    emulator.command("raw aa5501010123010000031122330000000000000091");
    QCOMPARE(emulator.lineStartingWith("OK"), QByteArray("OK raw"));
    QCOMPARE(serial.read(20).toHex(), QByteArray("aa5501010123010000031122330000000000000091"));
    QCOMPARE(serial.read(1, 100), QByteArray());
}

void TestEmulator::exitWhenDoneQuitsAfterTheRun()
{
    Emulator emulator;
    QVERIFY(emulator.start({ "--count", "20", "--framing", "fixed", "--delay", "100", "--exit-when-done" }));
    SerialEnd serial(emulator.port);
    QVERIFY(serial.isOpen());
    QByteArray done;
    const QByteArray bytes = collectRun(emulator, serial, &done);
    QCOMPARE(done, QByteArray("DONE sent=20 bytes=400"));
    QCOMPARE(bytes.size(), 400);
    QVERIFY(emulator.process.waitForFinished(3000));
    QCOMPARE(emulator.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(emulator.process.exitCode(), 0);
}

void TestEmulator::linkPointsAtSerialEndAndGoesAway()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("converter"));
    // A stale link of an earlier run is replaced.
    QVERIFY(QFile::link(QStringLiteral("/nonexistent/pts"), link));

    Emulator emulator;
    QVERIFY(emulator.start({ "--link", link }));
    const QFileInfo info(link);
    QVERIFY(info.isSymLink());
    QCOMPARE(info.symLinkTarget(), emulator.port);

    SerialEnd serial(link);
    QVERIFY(serial.isOpen());
    serial.write(statusQuery);
    QCOMPARE(serial.read(20).toHex(), fixedCommand(0x04).toHex());

    emulator.process.terminate();                    // SIGTERM: clean exit
    QVERIFY(emulator.process.waitForFinished(3000));
    QCOMPARE(emulator.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(emulator.process.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(!QFileInfo::exists(link));
}

// AA 55 code n, the identifiers low byte first, the sum.
static QByteArray filterCommand(quint8 code, const QList<quint32> &ids)
{
    QByteArray out = hex("AA 55");
    out += char(code);
    out += char(ids.size());
    for (quint32 id : ids)
        for (int i = 0; i < 4; ++i)
            out += char((id >> (8 * i)) & 0xFF);
    quint8 sum = 0;
    for (int i = 2; i < out.size(); ++i)
        sum = quint8(sum + quint8(out[i]));
    return out + char(sum);
}

void TestEmulator::receiveFilterAppliesToGeneratedFrames_data()
{
    QTest::addColumn<QList<QByteArray>>("commands");  // written before the run
    QTest::addColumn<QByteArray>("generation");
    QTest::addColumn<QList<quint32>>("passed");     // frame numbers of the run that arrive

    const QList<quint32> all { 0, 1, 2, 3, 4, 5 };
    const QByteArray gen123 = "gen 6 0 fixed id=123 format=random data=seq";
    const QByteArray gen124 = "gen 6 0 fixed id=124 format=ext data=seq";
    QTest::newRow("power-up passes all") << QList<QByteArray> {} << gen123 << all;
    QTest::newRow("11 blocks the listed") << QList<QByteArray> { filterCommand(0x11, { 0x123 }) } << gen123
                                          << QList<quint32> {};
    QTest::newRow("11 passes the others") << QList<QByteArray> { filterCommand(0x11, { 0x123 }) } << gen124 << all;
    QTest::newRow("10 passes the listed, any format")
        << QList<QByteArray> { filterCommand(0x10, { 0x7FF, 0x123 }) } << gen123 << all;
    QTest::newRow("10 blocks the others") << QList<QByteArray> { filterCommand(0x10, { 0x123 }) } << gen124
                                          << QList<quint32> {};
    QTest::newRow("10 with none passes nothing") << QList<QByteArray> { filterCommand(0x10, {}) } << gen123
                                                 << QList<quint32> {};
    QTest::newRow("11 with none passes all again")
        << QList<QByteArray> { filterCommand(0x10, {}), filterCommand(0x11, {}) } << gen123 << all;
    QTest::newRow("32-bit compare") << QList<QByteArray> { filterCommand(0x10, { 0x80000123 }) } << gen123
                                    << QList<quint32> {};
    QTest::newRow("set-and-start keeps the filter")
        << QList<QByteArray> { filterCommand(0x10, { 0x124 }), fixedCommand(0x02, { { 3, 1 }, { 4, 1 } }) }
        << gen123 << QList<quint32> {};
}

void TestEmulator::receiveFilterAppliesToGeneratedFrames()
{
    QFETCH(QList<QByteArray>, commands);
    QFETCH(QByteArray, generation);
    QFETCH(QList<quint32>, passed);

    Emulator emulator;
    QVERIFY(emulator.start({}));
    SerialEnd serial(emulator.port);
    QVERIFY(serial.isOpen());
    for (const QByteArray &command : commands) {
        serial.write(command);
        QVERIFY(!emulator.lineStartingWith("RX ").isEmpty());
    }
    emulator.command(generation);
    QByteArray done;
    const QByteArray bytes = collectRun(emulator, serial, &done);
    FrameScanner scanner;
    Collector got;
    scanner.feed(bytes, got);
    QCOMPARE(done, "DONE sent=" + QByteArray::number(passed.size()) + " bytes="
                       + QByteArray::number(20 * passed.size()));
    QCOMPARE(got.frames.size(), passed.size());
    QCOMPARE(bytes.size(), 20 * passed.size());
    for (int i = 0; i < passed.size(); ++i)
        QCOMPARE(got.frames[i].frame.data.toHex(), seqData(passed[i]).toHex());
}

void TestEmulator::loopbackEchoIsNotFiltered()
{
    Emulator emulator;
    QVERIFY(emulator.start({}));
    SerialEnd serial(emulator.port);
    QVERIFY(serial.isOpen());
    serial.write(filterCommand(0x10, {}));
    serial.write(fixedCommand(0x02, { { 13, 1 } }));
    QVERIFY(emulator.lineStartingWith("RX SETSTART").startsWith("RX SETSTART"));
    serial.write(fixedStd123);
    QCOMPARE(serial.read(20).toHex(' '), fixedStd123.toHex(' '));
}

QTEST_GUILESS_MAIN(TestEmulator)
#include "test_emulator.moc"
