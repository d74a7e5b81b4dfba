// The Qt CAN bus plugin through Qt's API and Qt's canbusutil against the emulator: configuration,
// frames both ways, filters, the outgoing queue, the bus status, a silent and a lost converter, refusals.

#include <QCanBus>
#include <QLibraryInfo>
#include <QSerialPortInfo>
#include <QtTest>
#include <memory>
#include <numeric>

#include "emulatorprocess.h"
#include "support/lineprocess.h"
#include "support/ptypair.h"

using Key = QCanBusDevice::ConfigurationKey;
using Filter = QCanBusDevice::Filter;
using Filters = QList<Filter>;
constexpr auto Framing = Key(QCanBusDevice::UserKey + 1);
constexpr auto ListenOnly = Key(QCanBusDevice::UserKey - 1);
constexpr auto Interval = Key(QCanBusDevice::UserKey - 2);

namespace {

// A tavicon device configured by key, value, key, value ...; configure() returns the last error text.
QString configure(QCanBusDevice *d, const QVariantList &settings)
{
    for (qsizetype i = 0; i + 1 < settings.size(); i += 2)
        d->setConfigurationParameter(Key(settings[i].toInt()), settings[i + 1]);
    return d->errorString();
}
std::unique_ptr<QCanBusDevice> device(const QString &port, const QVariantList &settings = {})
{
    std::unique_ptr<QCanBusDevice> d(QCanBus::instance()->createDevice("tavicon", port));
    configure(d.get(), settings);
    return d;
}

// "123 std data 1a2b3c", "7ff std remote 000000", "204 error 0008000000006400", " echo" for local echoes.
QString frameText(const QCanBusFrame &f)
{
    const bool error = f.frameType() == QCanBusFrame::ErrorFrame;
    const bool remote = f.frameType() == QCanBusFrame::RemoteRequestFrame;
    return QStringLiteral("%1 %2 %3%4").arg(error ? f.error().toInt() : int(f.frameId()), 0, 16)
        .arg(error ? "error" : QString(f.hasExtendedFrameFormat() ? "ext " : "std ") + (remote ? "remote" : "data"))
        .arg(QString(f.payload().toHex())).arg(f.hasLocalEcho() ? " echo" : "");
}

// The frames read until `count` came or `timeoutMs` passed.
QStringList readTexts(QCanBusDevice *d, int count, int timeoutMs = 3000)
{
    QStringList texts;
    const qint64 before = QDateTime::currentMSecsSinceEpoch() - 5000;      // local echoes are stamped when written
    spinUntil([&] {
        for (const QCanBusFrame &f : d->readAllFrames()) {
            const qint64 ms = f.timeStamp().seconds() * 1000 + f.timeStamp().microSeconds() / 1000;
            texts << (ms >= before && ms <= QDateTime::currentMSecsSinceEpoch() ? frameText(f) : "bad time " + frameText(f));
        }
        return texts.size() >= count;
    }, timeoutMs);
    return texts;
}

} // namespace

class TestQtCanBus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void configuration_data();
    void configuration();
    void framesBothWays_data();
    void framesBothWays();
    void burstReachesTheConverterInOrder();
    void busStatus_data();
    void busStatus();
    void silentThenLostConverter();
    void canbusutil_data();
    void canbusutil();
};

void TestQtCanBus::initTestCase()
{
    QCoreApplication::addLibraryPath(TAVICON_PLUGIN_DIR);
    QVERIFY(QCanBus::instance()->plugins().contains("tavicon"));
    QLoggingCategory::setFilterRules("default.debug=false");     // the encoder reports each variable frame there
}

void TestQtCanBus::configuration_data()
{
    QTest::addColumn<QVariantList>("settings");
    QTest::addColumn<bool>("whileConnected");
    QTest::addColumn<QString>("result");    // the set-and-start, or the refusal
    QTest::newRow("defaults: 500k") << QVariantList() << false << "aa55020301000000000000000000010000000007";
    QTest::newRow("reset") << QVariantList() << true << "aa55020301000000000000000000010000000007";
    QTest::newRow("900k, raw timing") << QVariantList{Key::BitRateKey, "900000"} << true << "aa5503010100000000000000000005000500000f";
    QTest::newRow("loopback") << QVariantList{Key::LoopbackKey, true} << true << "aa55020301000000000000000001010000000008";
    QTest::newRow("silent loopback") << QVariantList{ListenOnly, true, Key::LoopbackKey, true} << false << "aa5502030100000000000000000301000000000a";
    QTest::newRow("variable framing") << QVariantList{Framing, "variable"} << true << "aa55120301000000000000000000010000000017";
    QTest::newRow("rate not made") << QVariantList{Key::BitRateKey, 83300} << true
        << "BitRateKey: the converter's clock cannot make 83300 bit/s exactly; nearest: 80000, 90000";
    QTest::newRow("CAN FD") << QVariantList{Key::CanFdKey, true} << false << "CanFdKey: the converter is classic CAN only";
    QTest::newRow("port speed") << QVariantList{Key::UserKey, 115200} << true << "UserKey (serial port speed) is set before connectDevice()";
    QTest::newRow("filter of no type") << QVariantList{Key::RawFilterKey, QVariant::fromValue(Filters{{0, 0, QCanBusFrame::UnknownFrame}})} << false
        << "RawFilterKey: a filter of type UnknownFrame is invalid (InvalidFrame matches every type)";
}

void TestQtCanBus::configuration()
{
    QFETCH(QVariantList, settings);
    QFETCH(bool, whileConnected);
    QFETCH(QString, result);
    EmulatorProcess emulator;
    auto d = device(emulator.portName());
    const QList<Key> keys = d->configurationKeys();
    QVERIFY(QSet<Key>(keys.cbegin(), keys.cend()).contains({Key::UserKey, Framing, ListenOnly, Interval}));
    QCOMPARE(d->configurationParameter(Key::UserKey), QVariant(2000000));
    QSignalSpy errors(d.get(), &QCanBusDevice::errorOccurred);
    const QString why = whileConnected ? QString() : configure(d.get(), settings);
    QVERIFY(d->connectDevice());
    QString setStart = emulator.waitForLine("RX SETSTART", 5000);
    if (whileConnected) {
        settings.isEmpty() ? d->resetController() : void(configure(d.get(), settings));
        setStart = emulator.waitForLine("RX SETSTART", errors.isEmpty() ? 5000 : 300);
    }
    const bool refused = !result.startsWith("aa55");
    QCOMPARE(errors.size(), refused ? 1 : 0);
    QCOMPARE(setStart.isEmpty(), refused && whileConnected);
    // connectDevice() clears the error of a refusal before it
    QCOMPARE(!refused ? setStart.mid(setStart.indexOf("bytes=") + 6) : whileConnected ? d->errorString() : why, result);
    if (refused) {
        QCOMPARE(errors.first().first().value<QCanBusDevice::CanBusError>(), QCanBusDevice::ConfigurationError);
        QVERIFY(d->configurationParameter(Key(settings[0].toInt())) != settings[1]);
    }
}

// Three frames written, four generated, read through the filters.
void TestQtCanBus::framesBothWays_data()
{
    QTest::addColumn<QString>("framing");
    QTest::addColumn<bool>("receiveOwn");
    QTest::addColumn<QVariant>("filters");
    QTest::addColumn<QStringList>("received");
    const QStringList all{"123 std data 11", "123 ext data 11", "124 std remote 00", "1abcdef ext data 22"};
    QTest::newRow("fixed") << "fixed" << false << QVariant() << all;
    QTest::newRow("variable, receiving its own") << "variable" << true << QVariant()
        << QStringList{"123 std data 1a2b3c echo", "12345678 ext data 1122 echo", "7ff std remote 7878787878 echo"} + all;
    QTest::newRow("no filters") << "fixed" << false << QVariant::fromValue(Filters()) << all;
    QTest::newRow("identifier, base format, data") << "fixed" << true
        << QVariant::fromValue(Filters{{0x123, 0x7FF, QCanBusFrame::DataFrame, Filter::MatchBaseFormat}})
        << QStringList{"123 std data 1a2b3c echo", all[0]};
    QTest::newRow("remote, or extended and masked") << "fixed" << false << QVariant::fromValue(Filters{
        {0, 0, QCanBusFrame::RemoteRequestFrame}, {0x1ABCD00, 0x1FFFFF00, QCanBusFrame::InvalidFrame, Filter::MatchExtendedFormat}})
        << all.mid(2);
}

void TestQtCanBus::framesBothWays()
{
    QFETCH(QString, framing);
    QFETCH(bool, receiveOwn);
    QFETCH(QVariant, filters);
    QFETCH(QStringList, received);
    EmulatorProcess emulator;
    auto d = device(emulator.portName(), {Framing, framing, Key::ReceiveOwnKey, receiveOwn, Key::RawFilterKey, filters});
    QVERIFY(d->connectDevice());
    QCanBusFrame remote(0x7FF, "xxxxx");        // the payload's size is the length asked for
    remote.setFrameType(QCanBusFrame::RemoteRequestFrame);
    QSignalSpy written(d.get(), &QCanBusDevice::framesWritten);
    for (const QCanBusFrame &f : {QCanBusFrame(0x123, "\x1a\x2b\x3c"), QCanBusFrame(0x12345678, "\x11\x22"), remote})
        QVERIFY(d->writeFrame(f));
    QCOMPARE(d->framesToWrite(), 3);
    for (const char *sent : {"std data id=00000123 len=3 data=1a2b3c", "ext data id=12345678 len=2 data=1122",
                             "std remote id=000007ff len=5 data=0000000000"})
        QCOMPARE(emulator.waitForLine("RX CAN", 5000), "RX CAN " + framing + ' ' + sent);
    QTRY_COMPARE(d->framesToWrite(), 0);
    QCOMPARE(std::accumulate(written.begin(), written.end(), 0LL, [](qint64 n, const QList<QVariant> &s) { return n + s[0].toLongLong(); }), 3);
    for (const char *gen : {"id=123 format=std data=11", "id=123 format=ext data=11", "id=124 format=std data=11 remote=1",
                            "id=1abcdef format=ext data=22"}) {
        emulator.command(QStringLiteral("gen 1 0 ") + gen);
        QVERIFY(!emulator.waitForLine("DONE", 5000).isEmpty());
    }
    QCOMPARE(readTexts(d.get(), int(received.size()) + 1, 500), received);
}

// Refusals; 10,000 frames written at once wait in the outgoing queue and reach the converter in order.
void TestQtCanBus::burstReachesTheConverterInOrder()
{
    EmulatorProcess emulator;
    auto d = device(emulator.portName());
    QVERIFY(d->connectDevice());
    QCanBusFrame fd(1, QByteArray(12, 0)), error(QCanBusFrame::ErrorFrame), longIdentifier(0x800, "1");
    longIdentifier.setExtendedFrameFormat(false);
    for (const QCanBusFrame &f : {fd, error, longIdentifier})
        QVERIFY(!d->writeFrame(f) && d->error() == QCanBusDevice::WriteError);
    QStringList expected;
    for (int i = 0; i < 10000; ++i) {
        const QByteArray data = QByteArray::number(i, 16).rightJustified(4, '0');
        QVERIFY(d->writeFrame(QCanBusFrame(quint32(i) & 0x7FF, QByteArray::fromHex(data))));
        expected << QStringLiteral("RX CAN fixed std data id=%1 len=2 data=%2").arg(i & 0x7FF, 8, 16, QChar('0')).arg(QString(data));
    }
    QVERIFY(!d->writeFrame(QCanBusFrame(1, "1")));
    QCOMPARE(d->error(), QCanBusDevice::WriteError);
    QStringList atConverter;
    const auto reached = [&] { return (atConverter += emulator.takeLines().filter(QRegularExpression("^RX CAN "))).size() >= 10000; };
    spinUntil(reached, 60000);
    QCOMPARE(atConverter, expected);
    QCOMPARE(d->framesToWrite(), 0);
}

void TestQtCanBus::busStatus_data()
{
    QTest::addColumn<QStringList>("emulatorArguments");
    QTest::addColumn<QVariant>("errorFilter");
    QTest::addColumn<QStringList>("statusCommands");
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<QCanBusDevice::CanBusStatus>("status");
    const QStringList changes{"status tec=100 warning=1", "status rec=0", "status tec=130 passive=1", "status tec=255 off=1",
                              "status tec=0 off=0 passive=0 warning=0"};      // the second changes nothing
    QTest::newRow("warning, passive, bus off and back") << QStringList() << QVariant() << changes
        << QStringList{"204 error 0008000000006400", "204 error 0020000000008200", "240 error 000000000000ff00",
                       "300 error 0000000000000000"} << QCanBusDevice::CanBusStatus::Good;
    QTest::newRow("bus off only") << QStringList() << QVariant::fromValue(QCanBusFrame::FrameErrors(QCanBusFrame::BusOffError)) << changes
                                  << QStringList{"240 error 000000000000ff00"} << QCanBusDevice::CanBusStatus::Good;
    QTest::newRow("first reply") << QStringList{"--rec", "128", "--error-passive"} << QVariant() << QStringList() << QStringList{"204 error 0010000000000080"}
                                 << QCanBusDevice::CanBusStatus::Error;
}

void TestQtCanBus::busStatus()
{
    QFETCH(QStringList, emulatorArguments);
    QFETCH(QVariant, errorFilter);
    QFETCH(QStringList, statusCommands);
    QFETCH(QStringList, frames);
    QFETCH(QCanBusDevice::CanBusStatus, status);
    EmulatorProcess emulator(emulatorArguments);
    auto d = device(emulator.portName(), {Interval, 50, Key::ErrorFilterKey, errorFilter});
    QVERIFY(d->connectDevice());
    QVERIFY(d->hasBusStatus() && d->busStatus() == QCanBusDevice::CanBusStatus::Unknown);
    QStringList texts = readTexts(d.get(), 1, 500);
    for (const QString &command : statusCommands) {
        emulator.command(command);
        texts += readTexts(d.get(), 1, 500);
    }
    QCOMPARE(texts, frames);
    QCOMPARE(d->busStatus(), status);
}

// A converter that does not answer is reported once, without an error; one that goes away is a connection error.
void TestQtCanBus::silentThenLostConverter()
{
    PtyPair pty;
    auto d = device(pty.portName(), {Interval, 20});
    QSignalSpy errors(d.get(), &QCanBusDevice::errorOccurred);
    QTest::ignoreMessage(QtWarningMsg, qPrintable("no bus status reply from " + pty.portName() + " for 60 ms: the converter may not be listening"));
    QTest::failOnWarning(QRegularExpression("no bus status reply"));
    QVERIFY(d->connectDevice());
    spinEventLoop(300);
    QCOMPARE(errors.size(), 0);
    pty.closeConverterEnd();
    QTRY_COMPARE(d->state(), QCanBusDevice::UnconnectedState);
    spinEventLoop(100);
    QCOMPARE(errors.size(), 1);
    QCOMPARE(d->error(), QCanBusDevice::ConnectionError);
    QVERIFY2(d->errorString().startsWith("the converter on " + pty.portName() + " is gone: "), qPrintable(d->errorString()));
    QVERIFY(!d->writeFrame(QCanBusFrame(1, "1")));
    QCOMPARE(d->error(), QCanBusDevice::OperationError);
    auto missing = device("/dev/no-such-port");
    QVERIFY(!missing->connectDevice() && missing->state() == QCanBusDevice::UnconnectedState);
    QCOMPARE(missing->errorString(), "cannot open /dev/no-such-port: No such file or directory");
}

void TestQtCanBus::canbusutil_data()
{
    QTest::addColumn<QStringList>("arguments");      // PORT: the emulator's
    QTest::addColumn<QString>("generate");           // sent to the emulator once started
    QTest::addColumn<QStringList>("output");         // timestamps left out
    QTest::addColumn<QString>("atConverter");        // the set-and-start, or the fixed frame sent
    QStringList ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        ports << info.systemLocation();
    for (const QFileInfo &link : QDir("/dev/serial/by-id").entryInfoList(QDir::System | QDir::Files, QDir::Name))
        ports << link.filePath();
    QTest::newRow("plugins") << QStringList{"-L"} << "" << QCanBus::instance()->plugins() << "";
    QTest::newRow("devices") << QStringList{"-d", "tavicon"} << "" << ports << "";
    QTest::newRow("standard") << QStringList{"tavicon", "PORT", "123#1a2b3c"} << "" << QStringList() << "std data id=00000123 len=3 data=1a2b3c";
    QTest::newRow("extended") << QStringList{"tavicon", "PORT", "12345678#11"} << "" << QStringList() << "ext data id=12345678 len=1 data=11";
    QTest::newRow("remote") << QStringList{"tavicon", "PORT", "7ff#R5"} << "" << QStringList() << "std remote id=000007ff len=5 data=0000000000";
    QTest::newRow("listening at 250k") << QStringList{"-l", "-t", "-b", "250000", "tavicon", "PORT"}
        << "gen 2 0 id=set:2048 format=std data=a1b2" << QStringList{"000   [2]  A1 B2", "001   [2]  A1 B2"}
        << "RX SETSTART code=02 bytes=aa55020501000000000000000000010000000009";
}

void TestQtCanBus::canbusutil()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, generate);
    QFETCH(QStringList, output);
    QFETCH(QString, atConverter);
    EmulatorProcess emulator;
    qputenv("QT_PLUGIN_PATH", TAVICON_PLUGIN_DIR);
    LineProcess util(QLibraryInfo::path(QLibraryInfo::BinariesPath) + "/canbusutil",
                     arguments.replaceInStrings("PORT", emulator.portName()));
    if (!generate.isEmpty()) {
        QCOMPARE(emulator.waitForLine("RX SETSTART", 5000), atConverter);
        emulator.command(generate);
        spinUntil([&] { return util.lines().size() >= output.size(); }, 5000);
    } else {
        QCOMPARE(util.waitForExit(10000), 0);
        QCOMPARE(emulator.waitForLine("RX CAN", atConverter.isEmpty() ? 0 : 2000).mid(13), atConverter);
    }
    QCOMPARE(util.lines().replaceInStrings(QRegularExpression("^\\d+\\.\\d+ +"), ""), output);
}

QTEST_GUILESS_MAIN(TestQtCanBus)
#include "test_qtcanbus.moc"
