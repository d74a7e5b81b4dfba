// The pure text rules of the CAN configuration page: the bus speed text, the
// bus status text, the cfg.txt line and receiveID.txt. Their bytes and faults
// on the window are in test_canconfig.

#include <QtTest>

#include "files/textfile.h"
#include "canconfig/bittiming.h"
#include "canconfig/busstate.h"
#include "canconfig/busstatustext.h"
#include "canconfig/configfile.h"
#include "canconfig/convertercommands.h"
#include "canconfig/receiveids.h"
#include "support/frames.h"
#include "support/testfiles.h"

using Cells = QList<ReceiveIdCell>;

class TestCanConfigText : public QObject
{
    Q_OBJECT

private slots:
    void busSpeed_data();
    void busSpeed();
    void bitrateTiming_data();
    void bitrateTiming();
    void busStatus_data();
    void busStatus();
    void busErrorFrame_data();
    void busErrorFrame();
    void configLine();
    void receiveIdFile();
};

void TestCanConfigText::busSpeed_data()
{
    QTest::addColumn<int>("phase1");
    QTest::addColumn<int>("phase2");
    QTest::addColumn<QString>("prescaler");
    QTest::addColumn<QString>("text");       // null: the shown text is kept

    QTest::newRow("25 quanta, 1023") << 15 << 7 << "1023" << "1.407kbps";
    QTest::newRow("12 quanta, 7") << 5 << 4 << "7" << "428.571kbps";
    QTest::newRow("0") << 5 << 4 << "0" << " ";
    QTest::newRow("1024") << 5 << 4 << "1024" << " ";
    QTest::newRow("negative") << 5 << 4 << "-3" << " ";
    QTest::newRow("not a number") << 5 << 4 << "3a" << QString();
    QTest::newRow("empty") << 5 << 4 << "" << QString();
    QTest::newRow("beyond 32 bits") << 5 << 4 << "4294967299" << QString();
    QTest::newRow("line break") << 5 << 4 << "24\n" << QString();
    QTest::newRow("no segment selected") << -1 << -1 << "3" << " ";
}

void TestCanConfigText::busSpeed()
{
    QFETCH(int, phase1);
    QFETCH(int, phase2);
    QFETCH(QString, prescaler);
    QFETCH(QString, text);
    const std::optional<QString> got = busSpeedText(phase1 < 0 ? -1 : 0, phase1, phase2, prescaler);
    QCOMPARE(got.has_value(), !text.isNull());
    if (got)
        QCOMPARE(*got, text);
}

void TestCanConfigText::bitrateTiming_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<QString>("timing");     // table index, BS1/BS2 indexes and prescaler, or the nearest rates
    QTest::newRow("500k: the table") << 500000 << "table 2";
    QTest::newRow("5k: the table") << 5000 << "table 11";
    QTest::newRow("900k: 87.5 %") << 900000 << "5/0/5";
    QTest::newRow("750k: the fewest of 8, 16, 24 quanta") << 750000 << "5/0/6";
    QTest::newRow("600k: 86.7 %") << 600000 << "11/1/4";
    QTest::newRow("2k: 88.9 %, prescaler 1000") << 2000 << "14/1/1000";
    QTest::newRow("83.3k: not made") << 83300 << "below 80000 above 90000";
    QTest::newRow("666666: not made") << 666666 << "below 600000 above 720000";
    QTest::newRow("above 1M") << 1000001 << "below 1000000 above 0";
    QTest::newRow("0") << 0 << "below 0 above 1440";
}

void TestCanConfigText::bitrateTiming()
{
    QFETCH(int, rate);
    QFETCH(QString, timing);
    const BitrateTiming t = ::bitrateTiming(rate);
    SetStartSettings s;
    s.syncIndex = 3;
    if (!applyBitrateTiming(t, &s)) {
        QCOMPARE(QStringLiteral("below %1 above %2").arg(t.below).arg(t.above), timing);
        QCOMPARE(s.syncIndex, 3);
        return;
    }
    if (!s.manualTiming) {
        QCOMPARE(QStringLiteral("table %1").arg(s.speedIndex), timing);
        return;
    }
    QCOMPARE(QStringLiteral("%1/%2/%3").arg(s.phase1Index).arg(s.phase2Index).arg(s.prescaler), timing);
    QCOMPARE(s.syncIndex, 0);
    QCOMPARE(busSpeedText(0, s.phase1Index, s.phase2Index, QString::number(s.prescaler)),
             QString::asprintf("%d.%03dkbps", rate / 1000, rate % 1000));
}

void TestCanConfigText::busStatus_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QString>("text");

    // Payload: code, two unused, receive errors, transmit errors, off, passive, warning.
    QTest::newRow("all clear") << hex("04 00 00 00 00 00 00 00")
        << QStringLiteral("总线状态:正常, 正常状态发送错误计数器  = 0, 接受错误计数器 = 0");
    QTest::newRow("bus off, passive") << hex("04 00 00 7F FF 01 01 00")
        << QStringLiteral("总线状态:离线, 错误被动, 发送错误计数器  = 255, 接受错误计数器 = 127");
    QTest::newRow("passive wins over warning") << hex("04 00 00 03 02 00 05 09")
        << QStringLiteral("总线状态:正常, 错误被动, 发送错误计数器  = 2, 接受错误计数器 = 3");
    QTest::newRow("warning only") << hex("04 FF FF 60 80 00 00 01")
        << QStringLiteral("总线状态:正常, 错误告警, 发送错误计数器  = 128, 接受错误计数器 = 96");
}

void TestCanConfigText::busStatus()
{
    QFETCH(QByteArray, payload);
    QFETCH(QString, text);
    payload.resize(17, '\0');
    QCOMPARE(busStatusText(payload), text);
}

void TestCanConfigText::busErrorFrame_data()
{
    // Reply bytes 5..9: receive and transmit errors, bus off, passive, warning ("-" none); the frame's identifier and data.
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("now");
    QTest::addColumn<QString>("frame");      // empty: none
    QTest::newRow("first: active, counters 0") << "-" << "00 00 00 00 00" << "";
    QTest::newRow("another flag, same state and counters") << "00 82 00 01 00" << "00 82 00 02 01" << "";
    QTest::newRow("counters within a state") << "61 00 00 00 01" << "62 01 00 00 01" << "20000200 0000000000000162";
    QTest::newRow("warning by the transmit counter") << "00 00 00 00 00" << "00 64 00 00 01" << "20000204 0008000000006400";
    QTest::newRow("warning by both counters") << "00 00 00 00 00" << "60 60 00 00 01" << "20000204 000c000000006060";
    QTest::newRow("passive by the transmit counter") << "64 64 00 00 01" << "64 82 00 01 01" << "20000204 0020000000008264";
    QTest::newRow("passive by neither counter") << "00 00 00 00 00" << "00 00 00 01 00" << "20000204 0030000000000000";
    QTest::newRow("back to active") << "00 82 00 01 00" << "00 00 00 00 00" << "20000204 0040000000000000";
    QTest::newRow("bus off entered") << "00 82 00 01 00" << "00 ff 01 00 00" << "20000240 000000000000ff00";
    QTest::newRow("bus off left") << "00 ff 01 00 00" << "00 00 00 00 00" << "20000300 0000000000000000";
    QTest::newRow("bus off left for passive") << "00 ff 01 00 00" << "00 82 00 01 00" << "20000300 0000000000008200";
}

void TestCanConfigText::busErrorFrame()
{
    QFETCH(QString, last);
    QFETCH(QString, now);
    QFETCH(QString, frame);
    // The payload bytes 2..18 as the converter sends them.
    const auto reply = [](const QString &bytes) {
        return bytes == "-" ? std::nullopt : readBusStatusReply(hex(qPrintable("04 00 00 " + bytes)).leftJustified(17, '\0'));
    };
    const std::optional<CanFrame> got = ::busErrorFrame(reply(last), *reply(now));
    QCOMPARE(got ? QStringLiteral("%1 %2").arg(got->identifier, 8, 16, QChar('0')).arg(QString(got->data.toHex())) : QString(), frame);
    QVERIFY(!got || (got->format == FrameFormat::Extended && got->length == 8));
}

void TestCanConfigText::configLine()
{
    ConfigLine c;
    c.portSpeed = QStringLiteral("9600");
    c.mode = QStringLiteral("环回静默模式");
    c.frameType = QStringLiteral("扩展帧");
    c.canSpeed = QStringLiteral("5K");
    c.phase1 = QStringLiteral("CAN_BS1_16tq");
    c.phase2 = QStringLiteral("CAN_BS2_1tq");
    c.prescaler = QStringLiteral("77");
    c.busSpeed = QStringLiteral("25.974kbps");
    c.filter = QStringLiteral("FFFFFFFF");
    c.mask = QStringLiteral("0x1f");
    c.manualTiming = true;
    c.sendOnce = true;
    c.fixedFraming = false;
    const QByteArray text = configFileText(c);
    QCOMPARE(QString::fromUtf8(text),
             QStringLiteral("9600,环回静默模式,扩展帧,5K,CAN_BS1_16tq,CAN_BS2_1tq,77,25.974kbps,FFFFFFFF,0x1f,"
                            "Manual BPS TRUE,SendOnce,Variable,"));

    ConfigLine back;
    QVERIFY(parseConfigFields(simplifiedLineFields(text), &back));
    QCOMPARE(configFileText(back), text);

    // Read onto the form's choices, the settings the window sends; they store
    // as the same line. The prescaler is refused first.
    SetStartSettings s = formStartSettings();
    QCOMPARE(readConfigLine(c, &s), ConfigRefusal::None);
    QCOMPARE(setStartCommand(s).toHex(' '), QByteArray("aa 55 13 00 02 ff ff ff ff 1f 00 00 00 00 0f 00 4d 00 03 8f"));
    QCOMPARE(configFileText(configLineFor(s, 5, c.prescaler, c.busSpeed, c.filter, c.mask)), text);
    c.prescaler = QStringLiteral("0");
    c.mask = QStringLiteral("x");
    QCOMPARE(readConfigLine(c, &s), ConfigRefusal::Prescaler);

    // Only the exact words switch; a field short is no line.
    QVERIFY(parseConfigFields(simplifiedLineFields("a,b,c,d,e,f,g,h,i,j,manual bps true,sendonce,fixed"), &back));
    QVERIFY(!back.manualTiming && !back.sendOnce && !back.fixedFraming);
    QVERIFY(!parseConfigFields(simplifiedLineFields("a,b,c,d,e,f,g,h,i,j,k,l"), &back));
    QCOMPARE(back.mask, QStringLiteral("j"));
}

void TestCanConfigText::receiveIdFile()
{
    const Cells rows{QStringLiteral("123"), std::nullopt, QStringLiteral("  "), QString(), QStringLiteral(" 1ABCDEF0 ")};
    const QByteArray text = receiveIdFileText(rows);
    QCOMPARE(text, QByteArray("123\n 1ABCDEF0 \n"));

    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("receiveID.txt"));
    QVERIFY(writeTextFile(name, "\xEF\xBB\xBF" + text + "\n0x5\n"));
    QStringList texts;
    QVERIFY(readReceiveIdFile(name, &texts));
    QCOMPARE(texts, (QStringList{QStringLiteral("123"), QStringLiteral("1ABCDEF0")}));
    QVERIFY(!readReceiveIdFile(dir.filePath(QStringLiteral("missing.txt")), &texts));
    QCOMPARE(texts.size(), 2);

    // A blank item is left out; one with a line break would come back as two identifiers.
    QCOMPARE(saveReceiveIdFile(name, Cells{QStringLiteral("1"), QStringLiteral("\n")}), QString());
    QCOMPARE(fileBytes(name), QByteArray("1\n"));
    QCOMPARE(saveReceiveIdFile(name, Cells{QStringLiteral("\r\n"), QStringLiteral("2"), QStringLiteral("103\n104")}),
             QStringLiteral("第3行含有换行符，无法保存"));
    QCOMPARE(fileBytes(name), QByteArray("1\n"));
}

QTEST_GUILESS_MAIN(TestCanConfigText)
#include "test_canconfigtext.moc"
