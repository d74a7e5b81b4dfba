// tavicon-bridge between the converter emulator and clients we did not write
// (python-can run by /usr/bin/python3) or raw bytes: what crosses each face,
// what is refused, and how the bridge ends.

#include <QComboBox>
#include <QTableWidget>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "emulatorprocess.h"
#include "support/lineprocess.h"
#include "support/ptypair.h"
#include "support/rawclient.h"
#include "support/testfiles.h"
#include "support/windowharness.h"
#include "support/tshark.h"

namespace {

// The emulator and the bridge on its port, ready once READY came.
struct Rig
{
    EmulatorProcess emulator;
    LineProcess bridge;
    bool ready = !bridge.waitForLine("READY").isEmpty();
    explicit Rig(const QStringList &arguments) : bridge(TAVICON_BRIDGE, QStringList{"--port", emulator.portName()} + arguments) {}

    // The CAN frames that reached the converter since the last call.
    QStringList framesAtConverter(int settleMs = 300)
    {
        spinEventLoop(settleMs);
        return emulator.takeLines().filter(QRegularExpression(QStringLiteral("^RX CAN ")));
    }
    // The pty or address of a face from its start-up line.
    QString where(const QString &face) const
    {
        const QString name = face.toUpper() + ' ';
        return bridge.lines().filter(QRegularExpression("^" + name)).value(0).mid(name.size());
    }
};

// Raw bytes written to a face as one client; what came back within `ms`.
QByteArray exchange(const Rig &rig, const QString &face, const QByteArray &bytes, int ms, bool *closed = nullptr)
{
    RawClient client(rig.where(face));
    client.write(bytes);
    const QByteArray got = client.readFor(ms);
    if (closed)
        *closed = client.isClosed();
    return got;
}

// `count` standard data frames counting up, as the face's client writes them
// and as the emulator reports them.
QByteArray countingFrames(const QString &face, int count, QStringList *atConverter)
{
    QByteArray out;
    for (int i = 0; i < count; ++i) {
        const quint32 id = quint32(i) & 0x7FF;
        const QByteArray data = QByteArray::number(i, 16).rightJustified(4, '0');
        out += face == "slcan" ? QStringLiteral("t%1%2%3\r").arg(id, 3, 16, QChar('0')).arg(2).arg(QString(data)).toLatin1()
                               : QStringLiteral("< send %1 2 %2 %3 >").arg(id, 0, 16).arg(QString(data.left(2)), QString(data.mid(2))).toLatin1();
        *atConverter << QStringLiteral("RX CAN fixed std data id=%1 len=2 data=%2").arg(id, 8, 16, QChar('0')).arg(QString(data));
    }
    return out;
}

// python-can on one face; see support/canclient.py for its commands.
struct Client : LineProcess
{
    Client(const QString &face, const QString &where, const QString &bus = QStringLiteral("can0"))
        : LineProcess(QStringLiteral("/usr/bin/python3"), {QStringLiteral(CAN_CLIENT), face, where, bus})
        , open(!waitForLine(QStringLiteral("OPEN"), 10000).isEmpty())
    {
    }
    QStringList ask(const QString &command, int answers = 1)
    {
        writeLine(command);
        QStringList out;
        for (int i = 0; i < answers; ++i)
            out << waitForLine(QString(), 8000);
        return out;
    }
    bool open;
};

} // namespace

class TestBridge : public QObject
{
    Q_OBJECT

private slots:
    void sentFramesReachTheConverter_data();
    void sentFramesReachTheConverter();
    void generatedFramesReachTheClient_data();
    void generatedFramesReachTheClient();
    void twoSocketcandClientsAndTheCapture();
    void badInputIsRefused_data();
    void badInputIsRefused();
    void burstsReachTheConverterInOrder_data();
    void burstsReachTheConverterInOrder();
    void slcanClientThatLeavesIsForgotten();
    void loopbackModeDeliversOnce();
    void windowOnTheConverterFaceBesideAScript();
    void busStateOnEveryFace();
    void stalledClientDoesNotSlowTheOthers();
    void lostPortEndsWithStatus3();
    void startUp_data();
    void startUp();
};

void TestBridge::sentFramesReachTheConverter_data()
{
    QTest::addColumn<QString>("face");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("send");
    QTest::addColumn<QString>("expected");
    const QStringList slcan{"--slcan"};
    QTest::newRow("slcan standard") << "slcan" << slcan << "send 123 std data 010203"
                                    << "RX CAN fixed std data id=00000123 len=3 data=010203";
    QTest::newRow("slcan extended, variable") << "slcan" << QStringList{"--slcan", "--framing", "variable"}
        << "send 1abcdef ext data 0011223344556677"
        << "RX CAN variable ext data id=01abcdef len=8 data=0011223344556677";
    QTest::newRow("slcan remote") << "slcan" << slcan << "send 7ff std remote 4"
                                  << "RX CAN fixed std remote id=000007ff len=4 data=00000000";
    QTest::newRow("slcan extended remote") << "slcan" << slcan << "send 1fffffff ext remote 0"
                                           << "RX CAN fixed ext remote id=1fffffff len=0 data=";
    QTest::newRow("socketcand standard") << "socketcand" << QStringList{"--socketcand"} << "send 7ff std data ff"
                                         << "RX CAN fixed std data id=000007ff len=1 data=ff";
    QTest::newRow("socketcand extended") << "socketcand" << QStringList{"--socketcand"} << "send 12345 ext data 0102"
                                         << "RX CAN fixed ext data id=00012345 len=2 data=0102";
    // Raw bytes as SavvyCAN writes them: bit 31 marks extended, socketcand tokens signed.
    QTest::newRow("SavvyCAN on socketcand") << "socketcand" << QStringList{"--socketcand"}
        << "raw < open can0 >< send -6dcba988 4 5 -1 -80 7f >" << "RX CAN fixed ext data id=12345678 len=4 data=05ff807f";
    QTest::newRow("SavvyCAN on slcan") << "slcan" << QStringList{"--slcan"} << "raw O\rT9234567820102\r"
                                       << "RX CAN fixed ext data id=12345678 len=2 data=0102";
}

void TestBridge::sentFramesReachTheConverter()
{
    QFETCH(QString, face);
    QFETCH(QStringList, arguments);
    QFETCH(QString, send);
    QFETCH(QString, expected);
    Rig rig(arguments);
    QVERIFY(rig.ready);
    if (send.startsWith("raw ")) {
        exchange(rig, face, send.mid(4).toLatin1(), 100);
    } else {
        Client client(face, rig.where(face));
        QVERIFY2(client.open, qPrintable(client.errorText()));
        QCOMPARE(client.ask(send), QStringList{"SENT"});
    }
    QCOMPARE(rig.framesAtConverter(), QStringList{expected});
}

void TestBridge::generatedFramesReachTheClient_data()
{
    QTest::addColumn<QString>("face");
    QTest::addColumn<QString>("generate");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("slcan standard") << "slcan" << "gen 2 0 fixed id=123 format=std data=a1b2"
                                    << QStringList{"123 std data 2 a1b2", "123 std data 2 a1b2"};
    QTest::newRow("slcan extended, variable") << "slcan" << "gen 2 0 variable id=1abcdef format=ext data=seq"
        << QStringList{"1abcdef ext data 8 0000000000000000", "1abcdef ext data 8 0100000000000000"};
    QTest::newRow("slcan remote") << "slcan" << "gen 1 0 fixed id=7ff format=std data=112233 remote=1"
                                  << QStringList{"7ff std remote 3 "};
    // python-can 4.1 marks every frame it reads there extended; remote frames are not shown.
    QTest::newRow("socketcand") << "socketcand" << "gen 2 0 mixed id=7ff format=std data=ff"
                                << QStringList{"7ff ext data 1 ff", "7ff ext data 1 ff"};
    QTest::newRow("socketcand remote") << "socketcand" << "gen 1 0 fixed id=100 format=std data=11 remote=1"
                                       << QStringList{"NONE"};
}

void TestBridge::generatedFramesReachTheClient()
{
    QFETCH(QString, face);
    QFETCH(QString, generate);
    QFETCH(QStringList, expected);
    Rig rig({"--" + face});
    QVERIFY(rig.ready);
    Client client(face, rig.where(face));
    QVERIFY2(client.open, qPrintable(client.errorText()));
    rig.emulator.command(generate);
    QVERIFY(!rig.emulator.waitForLine("DONE", 5000).isEmpty());
    QCOMPARE(client.ask(expected == QStringList{"NONE"} ? "quiet" : QString("recv %1").arg(expected.size()),
                        int(expected.size())), expected);
}

// Two clients at once: each gets the bus, a frame one sends reaches the
// converter and the other but not itself; the captures hold all of it.
void TestBridge::twoSocketcandClientsAndTheCapture()
{
    QTemporaryDir dir;
    const QString log = dir.filePath("bus.log");
    const QString pcap = dir.filePath("bus.pcap");
    Rig rig({"--socketcand", "--candump", log, "--pcap", pcap, "--name", "vcan7"});
    QVERIFY(rig.ready);
    Client a("socketcand", rig.where("socketcand"), "vcan7"), b("socketcand", rig.where("socketcand"), "vcan7");
    QVERIFY2(a.open && b.open, qPrintable(a.errorText() + b.errorText()));
    rig.emulator.command("gen 1 0 fixed id=1234 format=ext data=0102");
    const QStringList generated{"1234 ext data 2 0102"};
    QCOMPARE(a.ask("recv 1"), generated);
    QCOMPARE(b.ask("recv 1"), generated);
    QCOMPARE(a.ask("send 321 std data 0a0b"), QStringList{"SENT"});
    QCOMPARE(b.ask("recv 1"), QStringList{"321 ext data 2 0a0b"});
    QCOMPARE(a.ask("quiet"), QStringList{"NONE"});
    QCOMPARE(rig.framesAtConverter(), QStringList{"RX CAN fixed std data id=00000321 len=2 data=0a0b"});

    QCOMPARE(rig.bridge.signalAndWait(SIGINT), 0);
    QCOMPARE(rig.bridge.lines().constLast(), "bridge from_bus=1 to_bus=1 dropped=0 refused=0 bus_errors=0");
    LineProcess reader("/usr/bin/python3", {CAN_CLIENT, "log", log});
    QCOMPARE(reader.waitForExit(10000), 0);
    QCOMPARE(reader.lines(), (QStringList{"vcan7 1234 ext data 2 0102", "vcan7 321 std data 2 0a0b"}));
    LineProcess tshark("tshark", QStringList{"-r", pcap} + tsharkCanFields());
    QCOMPARE(tshark.waitForExit(30000), 0);
    QCOMPARE(tshark.lines(), (QStringList{"4660\t1\t0\t2\t0102", "801\t0\t0\t2\t0a0b"}));
}

void TestBridge::badInputIsRefused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("answer");     // a pattern of the whole answer
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QString>("logged");     // what standard error names, after "send refused: "
    const QStringList slcan{"--slcan"}, socketcand{"--socketcand"};
    const QString refused = QStringLiteral("\\x07");
    QTest::newRow("slcan garbage") << slcan << QByteArray("hello\r") << refused << false << QString();
    QTest::newRow("slcan overlong, once") << slcan << QByteArray(70, 't') + "\r" << refused << false << QString();
    QTest::newRow("slcan frame while closed") << slcan << QByteArray("t1230\r") << refused << false << QString();
    QTest::newRow("slcan standard id above 7FF") << slcan << QByteArray("O\rt8000\r") << "\\r\\x07" << false << QString();
    QTest::newRow("slcan extended id above 1FFFFFFF") << slcan << QByteArray("O\rR200000000\r") << "\\r\\x07" << false << QString();
    QTest::newRow("slcan bit 31 and above 1FFFFFFF") << slcan << QByteArray("O\rTA00000000\r") << "\\r\\x07" << false << QString();
    QTest::newRow("slcan length 9") << slcan << QByteArray("O\rt1239001122334455667788\r") << "\\r\\x07" << false << QString();
    QTest::newRow("slcan count not length") << slcan << QByteArray("O\rt1232aa\r") << "\\r\\x07" << false << QString();
    QTest::newRow("slcan not hex") << slcan << QByteArray("O\rt12g0\r") << "\\r\\x07" << false << QString();
    QTest::newRow("slcan listen-only") << slcan << QByteArray("L\rt1230\r") << "\\r\\x07" << false << QString();
    QTest::newRow("slcan read-only") << QStringList{"--slcan", "--read-only"} << QByteArray("O\rt1230\r")
                                     << "\\r\\x07" << false << QString();
    // Refused sends are not answered: clients read every error message as an error frame.
    const QString hi = QStringLiteral("< hi >");
    QTest::newRow("socketcand unknown") << socketcand << QByteArray("< hello >") << hi + "< error unknown command >" << false << QString();
    QTest::newRow("socketcand send before open") << socketcand << QByteArray("< send 123 0 >") << hi << false << "no bus open";
    QTest::newRow("socketcand other bus") << socketcand << QByteArray("< open can9 >") << hi + "< error could not open bus >" << true << QString();
    const QByteArray open("< open can0 >");
    const QString ok = hi + "< ok >";
    QTest::newRow("socketcand id of nine digits") << socketcand << open + "< send 000000123 0 >" << ok << false
                                                  << "identifier longer than 8 digits";
    QTest::newRow("socketcand id above 1FFFFFFF") << socketcand << open + "< send 20000000 0 >" << ok << false
                                                  << "identifier above 1FFFFFFF";
    QTest::newRow("socketcand dlc 9") << socketcand << open + "< send 123 9 1 2 3 4 5 6 7 8 9 >" << ok << false
                                      << "length is not 0 to 8";
    QTest::newRow("socketcand count not dlc") << socketcand << open + "< send 123 2 11 >" << ok << false
                                              << "length is not the count of data bytes";
    QTest::newRow("socketcand read-only") << QStringList{"--socketcand", "--read-only"} << open + "< send 123 0 >"
                                          << ok << false << "the bus is read-only";
    QTest::newRow("socketcand, many in a second: one line") << socketcand << open + QByteArray("< send 1 1 >").repeated(5)
        << ok << false << "length is not the count of data bytes";
    QTest::newRow("socketcand overlong") << socketcand << "<" + QByteArray(600, 'a') << hi << true << QString();
}

void TestBridge::badInputIsRefused()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(QString, answer);
    QFETCH(bool, closes);
    QFETCH(QString, logged);
    Rig rig(arguments);
    QVERIFY(rig.ready);
    bool closed = false;
    const QString face = arguments.contains("--slcan") ? "slcan" : "socketcand";
    const QByteArray got = exchange(rig, face, input, 300, &closed);
    QVERIFY2(QRegularExpression("^" + answer + "$").match(QString::fromLatin1(got)).hasMatch(), got.toHex(' ').constData());
    QCOMPARE(closed, closes);
    QCOMPARE(rig.framesAtConverter(0), QStringList());
    QCOMPARE(rig.bridge.signalAndWait(SIGTERM), 0);
    const QStringList refusals = rig.bridge.errorText().split('\n').filter(" send refused: ");
    if (logged.isEmpty()) {
        QCOMPARE(refusals, QStringList());
        return;
    }
    // One line a second at most, then the count of those left out.
    const qsizetype sends = input.count("< send");
    QCOMPARE(refusals.size(), 1);
    QVERIFY2(QRegularExpression("^tavicon-bridge: socketcand client 127.0.0.1:\\d+: send refused: " + logged + "$")
                 .match(refusals.constFirst()).hasMatch(), qPrintable(refusals.constFirst()));
    QCOMPARE(rig.bridge.errorText().contains(QStringLiteral(": %1 more sends refused, the last: %2\n").arg(sends - 1).arg(logged)),
             sends > 1);
    QVERIFY(rig.bridge.lines().constLast().endsWith(QStringLiteral(" refused=%1 bus_errors=0").arg(sends)));
}

void TestBridge::burstsReachTheConverterInOrder_data()
{
    QTest::addColumn<QString>("face");
    QTest::newRow("slcan") << "slcan";
    QTest::newRow("socketcand") << "socketcand";
}

// 5000 frames in one write fill the converter's send queue many times over:
// the bridge reads them as the queue drains, none refused.
void TestBridge::burstsReachTheConverterInOrder()
{
    QFETCH(QString, face);
    constexpr int Frames = 5000;
    Rig rig({"--" + face});
    QVERIFY(rig.ready);
    QStringList expected;
    const QByteArray burst = (face == "slcan" ? QByteArray("O\r") : QByteArray("< open can0 >")) + countingFrames(face, Frames, &expected);
    RawClient client(rig.where(face));
    QStringList got;
    QVERIFY(client.write(burst));
    QVERIFY(spinUntil([&] { got += rig.framesAtConverter(0); return got.size() >= Frames; }, 30000));
    QCOMPARE(got, expected);
    QCOMPARE(rig.bridge.signalAndWait(SIGTERM), 0);
    QCOMPARE(rig.bridge.lines().constLast(), QStringLiteral("bridge from_bus=0 to_bus=%1 dropped=0 refused=0 bus_errors=0").arg(Frames));
}

// A client opens listen-only, frames pile up unread, it writes half a command
// and goes: the next one finds the adapter closed, with nothing stale waiting.
void TestBridge::slcanClientThatLeavesIsForgotten()
{
    Rig rig({"--slcan"});
    QVERIFY(rig.ready);
    QVERIFY(!rig.emulator.waitForLine("RX SETSTART", 3000).isEmpty());      // the bridge's own
    {
        RawClient first(rig.where("slcan"));
        QVERIFY(first.write("L\r"));
        QCOMPARE(rig.emulator.waitForLine("RX SETSTART", 3000),
                 "RX SETSTART code=02 bytes=aa55020101000000000000000002010000000007");     // listen-only
        rig.emulator.command("gen 5 0 fixed id=123 format=std data=01");
        QVERIFY(!rig.emulator.waitForLine("DONE", 5000).isEmpty());
        spinEventLoop(100);
        QVERIFY(first.write("t12"));
    }
    spinEventLoop(100);
    RawClient second(rig.where("slcan"));
    QVERIFY(second.write("C\rS6\rO\rt1230\r"));
    QCOMPARE(second.readFor(300), QByteArray("\r\r\r\r"));
    const QStringList seen = rig.emulator.takeLines();
    QCOMPARE(seen.filter("RX CAN"), QStringList{"RX CAN fixed std data id=00000123 len=0 data="});
    // Only the second client's open at 500k in normal mode; leaving sent the converter nothing.
    QCOMPARE(seen.filter("RX SETSTART"), QStringList{"RX SETSTART code=02 bytes=aa55020301000000000000000000010000000007"});
}

// The converter echoes what it is sent: every face gets that one copy, the
// sender too; a refused send before it gives the client nothing to read.
void TestBridge::loopbackModeDeliversOnce()
{
    Rig rig({"--slcan", "--socketcand", "--mode", "loopback"});
    QVERIFY(rig.ready);
    RawClient slcan(rig.where("slcan")), socketcand(rig.where("socketcand"));
    QVERIFY(slcan.write("O\r") && socketcand.write("< open can0 >< rawmode >"));
    QCOMPARE(slcan.readFor(200), QByteArray("\r"));          // past the hold after rawmode
    QVERIFY(socketcand.write("< send 1 9 >< send 321 1 5a >"));
    QCOMPARE(slcan.readFor(300), QByteArray("t32115A\r"));
    QVERIFY(slcan.write("t1230\r"));
    QCOMPARE(slcan.readFor(300), QByteArray("\rt1230\r"));
    const QByteArray got = socketcand.readFor(0);
    QVERIFY2(QRegularExpression("^< hi >< ok >< ok > < frame 321 \\d+\\.\\d{6} 5A > < frame 123 \\d+\\.\\d{6}  >$")
                 .match(QString::fromLatin1(got)).hasMatch(), got.constData());
    QCOMPARE(rig.framesAtConverter(0).size(), 2);
}

// The window on the bridge's converter face and a python-can script on
// socketcand: each sees the other's frames and the bus's; the window
// configures the converter and reads its bus status.
void TestBridge::windowOnTheConverterFaceBesideAScript()
{
    Rig rig({"--converter", "--socketcand", "--bus-status", "100"});
    QVERIFY(rig.ready);
    QVERIFY(!rig.emulator.waitForLine("RX SETSTART", 3000).isEmpty());      // the bridge's own
    WindowHarness window;
    window.openPort(rig.where("converter"));
    window.widget<QComboBox>("cbBoxCANbps")->setCurrentText("250K");
    window.click("btnSetStart");
    QCOMPARE(rig.emulator.waitForLine("RX SETSTART", 3000), "RX SETSTART code=02 bytes=aa55020501000000000000000000010000000009");
    Client script("socketcand", rig.where("socketcand"));
    QVERIFY2(script.open, qPrintable(script.errorText()));

    QTableWidget *manual = window.widget<QTableWidget>("tableWidget_2");
    manual->item(0, 0)->setText("123");
    manual->item(0, 1)->setText("11 22");
    window.clickCell("tableWidget_2", 0, 2);
    QCOMPARE(script.ask("recv 1"), QStringList{"123 ext data 2 1122"});    // python-can 4.1 marks every frame extended
    QCOMPARE(rig.framesAtConverter(), QStringList{"RX CAN fixed std data id=00000123 len=2 data=1122"});

    const auto shown = [&](int row) { return window.cell(row, 5) + ' ' + window.cell(row, 7).trimmed(); };
    QCOMPARE(script.ask("send 321 std data 0a0b"), QStringList{"SENT"});
    QVERIFY(spinUntil([&] { return !window.cell(1, 5).isEmpty(); }));
    rig.emulator.command("gen 1 0 fixed id=7ff format=std data=ff");
    QCOMPARE(script.ask("recv 1"), QStringList{"7ff ext data 1 ff"});
    QVERIFY(spinUntil([&] { return !window.cell(2, 5).isEmpty(); }));
    QCOMPARE(QStringList({shown(1), shown(2)}), QStringList({"0x00000321 0a 0b", "0x000007ff ff"}));

    rig.emulator.command("status rec=5 tec=7 warning=1");
    QVERIFY(!rig.emulator.waitForLine("OK status", 3000).isEmpty());
    window.click("btnCANBusStatus");
    QVERIFY(spinUntil([&] { return window.statusText().contains("错误告警"); }));
    const QString shownStatus = QStringLiteral("总线状态:正常, 错误告警, 发送错误计数器  = 7, 接受错误计数器 = 5");
    QCOMPARE(window.statusText(), shownStatus);
    // The bridge's own status queries see the next change; their replies are not the window's.
    rig.emulator.command("status warning=0");
    QVERIFY(!rig.emulator.waitForLine("RX STATUSQUERY", 3000).isEmpty());
    spinEventLoop(300);
    QCOMPARE(window.statusText(), shownStatus);
}

// The converter's bus state changes: socketcand clients get its error
// message, slcan's F its flags, the candump capture Linux's error frames.
void TestBridge::busStateOnEveryFace()
{
    QTemporaryDir dir;
    const QString log = dir.filePath("bus.log");
    Rig rig({"--socketcand", "--slcan", "--candump", log, "--bus-status", "50"});
    QVERIFY(rig.ready);
    RawClient socketcand(rig.where("socketcand")), slcan(rig.where("slcan"));
    QVERIFY(socketcand.write("< open can0 >< rawmode >") && slcan.write("O\r"));
    spinEventLoop(200);
    const QRegularExpression errors("< error (\\w+) \\d+\\.\\d{6} >");
    const auto stateBecomes = [&](const QString &status) {
        rig.emulator.command("status " + status);
        QByteArray got;
        spinUntil([&] { got += socketcand.readFor(10); return got.contains("< error"); });
        const QByteArray flags = (slcan.readFor(0), slcan.write("F\r"), slcan.readFor(100));
        return errors.match(QString::fromLatin1(got)).captured(1) + ' ' + QString::fromLatin1(flags.trimmed());
    };
    QCOMPARE(stateBecomes("tec=100 warning=1"), "204 F04");
    QCOMPARE(stateBecomes("off=1"), "240 F84");
    QCOMPARE(stateBecomes("off=0 warning=0 tec=0"), "300 F00");
    QCOMPARE(rig.bridge.signalAndWait(SIGINT), 0);
    QVERIFY2(rig.bridge.lines().constLast().endsWith(" bus_errors=3"), qPrintable(rig.bridge.lines().constLast()));
    const QStringList lines = QString::fromLatin1(fileBytes(log)).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(QStringList({lines.at(0).section(' ', 2), lines.at(1).section(' ', 2), lines.at(2).section(' ', 2)}),
             QStringList({"20000204#0008000000006400", "20000240#0000000000006400", "20000300#0000000000000000"}));
}

// One client reads nothing with a tiny receive buffer: once 1 MB waits for it
// its frames are dropped, while the other client and the converter lose none.
void TestBridge::stalledClientDoesNotSlowTheOthers()
{
    constexpr int Frames = 60000;
    Rig rig({"--socketcand"});
    QVERIFY(rig.ready);
    // A receive buffer set before connecting stays that small.
    const int stalled = ::socket(AF_INET, SOCK_STREAM, 0), small = 2048;
    ::setsockopt(stalled, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_port = htons(29536);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QCOMPARE(::connect(stalled, reinterpret_cast<sockaddr *>(&to), sizeof to), 0);
    const QByteArray request = "< open can0 >< rawmode >";
    QCOMPARE(::send(stalled, request.constData(), size_t(request.size()), 0), ssize_t(request.size()));
    QTcpSocket reader;
    reader.connectToHost(QHostAddress::LocalHost, 29536);
    QVERIFY(reader.waitForConnected(3000));
    reader.write(request);
    QByteArray got;
    QVERIFY(spinUntil([&] { got += reader.readAll(); return got.count("< ok >") == 2; }));
    spinEventLoop(150);                 // past the hold after rawmode
    rig.emulator.command(QString("gen %1 0 fixed id=100 format=std data=seq").arg(Frames));
    qsizetype frames = 0;
    QVERIFY(spinUntil([&] {
        const QByteArray chunk = reader.readAll();
        frames += chunk.count("< frame ");
        return frames >= Frames;
    }, 30000));
    ::close(stalled);
    QCOMPARE(rig.bridge.signalAndWait(SIGTERM), 0);
    const QRegularExpressionMatch counted =
        QRegularExpression("^bridge from_bus=(\\d+) to_bus=0 dropped=(\\d+) refused=0 bus_errors=0$").match(rig.bridge.lines().constLast());
    QVERIFY2(counted.hasMatch(), qPrintable(rig.bridge.lines().constLast()));
    QCOMPARE(counted.captured(1).toInt(), Frames);
    QVERIFY(counted.captured(2).toInt() > 0);
}

// Also: --slcan-link replaces an old link, leads to the pty and is removed at exit.
void TestBridge::lostPortEndsWithStatus3()
{
    QTemporaryDir dir;
    const QString link = dir.filePath("slcan");
    QVERIFY(QFile::link("/nowhere", link));
    Rig rig({"--slcan-link", link});
    QVERIFY(rig.ready);
    QCOMPARE(QFileInfo(link).symLinkTarget(), rig.where("slcan"));
    const int client = ::open(qPrintable(link), O_RDWR | O_NOCTTY);
    QVERIFY(client >= 0);
    rig.emulator.command("quit");
    QCOMPARE(rig.bridge.waitForExit(5000), 3);
    QVERIFY2(rig.bridge.errorText().startsWith("PORT LOST "), qPrintable(rig.bridge.errorText()));
    char byte;
    QVERIFY(::read(client, &byte, 1) <= 0);          // the pty has hung up
    ::close(client);
    QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());
}

void TestBridge::startUp_data()
{
    QTest::addColumn<QStringList>("arguments");    // "PORT" stands for the emulator's port
    QTest::addColumn<int>("status");               // -1: runs (READY)
    QTest::addColumn<QString>("output");           // a line of standard output, or the start of standard error
    QTest::addColumn<QString>("converter");        // what the converter got
    const QString setStart1M = "RX SETSTART code=02 bytes=aa55020101000000000000000000010000000005";
    QTest::newRow("defaults") << QStringList{"--socketcand", "--slcan"} << -1 << "SOCKETCAND 127.0.0.1:29536" << setStart1M;
    QTest::newRow("--socketcand before another option") << QStringList{"--socketcand", "--read-only"} << -1
                                                         << "SOCKETCAND 127.0.0.1:29536" << setStart1M;
    QTest::newRow("--socketcand PORT") << QStringList{"--socketcand", "29999"} << -1 << "SOCKETCAND 127.0.0.1:29999" << setStart1M;
    QTest::newRow("--socketcand ADDR:PORT") << QStringList{"--socketcand", "127.0.0.2:29998"} << -1
                                            << "SOCKETCAND 127.0.0.2:29998" << setStart1M;
    QTest::newRow("500k silent variable") << QStringList{"--slcan", "--bitrate", "500000", "--mode", "silent", "--framing", "variable"}
        << -1 << "READY" << "RX SETSTART code=12 bytes=aa55120301000000000000000002010000000019";
    QTest::newRow("300k as raw timing") << QStringList{"--slcan", "--bitrate", "300000"} << -1 << "READY"
                                        << "RX SETSTART code=03 bytes=aa5503010100000000000000000005000f000019";
    QTest::newRow("no face") << QStringList{} << 2 << "tavicon-bridge: give at least one" << QString();
    QTest::newRow("83300 cannot be made") << QStringList{"--slcan", "--bitrate", "83300"} << 2
        << "tavicon-bridge: --bitrate: the converter's clock cannot make 83300 bit/s exactly; nearest: 80000, 90000" << QString();
    QTest::newRow("bad mode") << QStringList{"--slcan", "--mode", "fast"} << 2 << "tavicon-bridge: --mode" << QString();
    QTest::newRow("bad socketcand port") << QStringList{"--socketcand", "70000"} << 2 << "tavicon-bridge: --socketcand" << QString();
    QTest::newRow("missing config") << QStringList{"--slcan", "--config", "nothere.txt"} << 2 << "tavicon-bridge: --config" << QString();
    QTest::newRow("port cannot be opened") << QStringList{"--port", "/dev/nothere", "--slcan"} << 1
                                           << "tavicon-bridge: cannot open /dev/nothere: " << QString();
    QTest::newRow("link over a file") << QStringList{"--slcan-link", "file"} << 1 << "tavicon-bridge: --slcan-link: " << QString();
}

void TestBridge::startUp()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, output);
    QFETCH(QString, converter);
    QTemporaryDir dir;
    writeFileBytes(dir.filePath("file"), "mine");
    EmulatorProcess emulator;
    QStringList args = arguments.contains("--port") ? arguments : QStringList{"--port", emulator.portName()} + arguments;
    args.replaceInStrings(QRegularExpression("^file$"), dir.filePath("file"));
    LineProcess bridge(TAVICON_BRIDGE, args);
    if (status >= 0) {
        QCOMPARE(bridge.waitForExit(), status);
        QVERIFY2(bridge.errorText().startsWith(output), qPrintable(bridge.errorText()));
        QVERIFY(bridge.lines().isEmpty());
        QCOMPARE(fileBytes(dir.filePath("file")), QByteArray("mine"));
        return;
    }
    QVERIFY(!bridge.waitForLine("READY").isEmpty());
    QVERIFY2(bridge.lines().contains(output), qPrintable(bridge.lines().join('\n')));
    QCOMPARE(emulator.waitForLine("RX SETSTART", 3000), converter);
    QCOMPARE(bridge.signalAndWait(SIGTERM), 0);
}

QTEST_MAIN(TestBridge)
#include "test_bridge.moc"
