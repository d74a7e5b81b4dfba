// Byte layouts of CAN frames in both framings and the 20-byte command skeleton.

#include <QtTest>

#include "link/canframe.h"
#include "support/frames.h"


namespace {



} // namespace

class TestCodec : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void encodeFixed_data();
    void encodeFixed();
    void encodeVariable_data();
    void encodeVariable();
    void encodeVariableWritesNothing();
    void encodersNeverWriteMoreThanEightDataBytes();
    void decodeFixed_data();
    void decodeFixed();
    void decodeVariable_data();
    void decodeVariable();
    void roundTrip_data();
    void roundTrip();
    void controlByteBits_data();
    void controlByteBits();
    void skeleton_data();
    void skeleton();
};

void TestCodec::initTestCase()
{
    qRegisterMetaType<CanFrame>();
}

void TestCodec::encodeFixed_data()
{
    QTest::addColumn<CanFrame>("input");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("standard 0x123, 3 bytes")
        << makeFrame(0x123, FrameFormat::Standard, hex("112233"))
        << hex("AA 55 01 01 01 23 01 00 00 03 11 22 33 00 00 00 00 00 00 90");
    QTest::newRow("extended 0x12345678, 8 bytes")
        << makeFrame(0x12345678, FrameFormat::Extended, hex("0102030405060708"))
        << hex("AA 55 01 02 01 78 56 34 12 08 01 02 03 04 05 06 07 08 00 44");
    QTest::newRow("standard id wider than 11 bits keeps all four bytes")
        << makeFrame(0x12345, FrameFormat::Standard, hex("00"))
        << hex("AA 55 01 01 01 45 23 01 00 01 00 00 00 00 00 00 00 00 00 6D");
    QTest::newRow("no data")
        << makeFrame(0x7FF, FrameFormat::Standard, QByteArray())
        << hex("AA 55 01 01 01 FF 07 00 00 00 00 00 00 00 00 00 00 00 00 09");
    QTest::newRow("sum wraps past 255")
        << makeFrame(0xFFFFFFFF, FrameFormat::Extended, hex("FFFFFFFFFFFFFFFF"))
        << hex("AA 55 01 02 01 FF FF FF FF 08 FF FF FF FF FF FF FF FF 00 00");
}

void TestCodec::encodeFixed()
{
    QFETCH(CanFrame, input);
    QFETCH(QByteArray, expected);
    QCOMPARE(encodeFixedFrame(input).toHex(' '), expected.toHex(' '));
}

void TestCodec::encodeVariable_data()
{
    QTest::addColumn<CanFrame>("input");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("standard 0x123, 3 bytes")
        << makeFrame(0x123, FrameFormat::Standard, hex("112233")) << hex("AA C3 23 01 11 22 33 55");
    QTest::newRow("extended, no data")
        << makeFrame(0x12345678, FrameFormat::Extended, QByteArray()) << hex("AA E0 78 56 34 12 55");
    QTest::newRow("standard id above 16 bits loses the high bits")
        << makeFrame(0x12345, FrameFormat::Standard, hex("01")) << hex("AA C1 45 23 01 55");
    QTest::newRow("extended, 8 bytes")
        << makeFrame(0x1ABCDEF0, FrameFormat::Extended, hex("0011223344556677"))
        << hex("AA E8 F0 DE BC 1A 00 11 22 33 44 55 66 77 55");
    QTest::newRow("data holding the header and end bytes")
        << makeFrame(0x55AA, FrameFormat::Standard, hex("AA55")) << hex("AA C2 AA 55 AA 55 55");
}

void TestCodec::encodeVariable()
{
    QFETCH(CanFrame, input);
    QFETCH(QByteArray, expected);
    QCOMPARE(encodeVariableFrame(input).toHex(' '), expected.toHex(' '));
}

// The window writes the byte count where it sends (test_manualsend); the encoder writes nothing.
void TestCodec::encodeVariableWritesNothing()
{
    static int messages = 0;
    const QtMessageHandler earlier =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) { ++messages; });
    encodeVariableFrame(makeFrame(0x123, FrameFormat::Standard, hex("112233")));
    encodeVariableFrame(makeFrame(0x1, FrameFormat::Extended, hex("0011223344556677")));
    qInstallMessageHandler(earlier);
    QCOMPARE(messages, 0);
}

void TestCodec::encodersNeverWriteMoreThanEightDataBytes()
{
    CanFrame f = makeFrame(0x1, FrameFormat::Standard, QByteArray(12, '\x7F'));
    const QByteArray fixed = encodeFixedFrame(f);
    QCOMPARE(fixed.size(), 20);
    QCOMPARE(quint8(fixed.at(9)), quint8(8));
    QCOMPARE(fixed.at(18), '\0');
    QCOMPARE(commandSum(fixed.constData(), 2, 19), quint8(fixed.at(19)));
    const QByteArray variable = encodeVariableFrame(f);
    QCOMPARE(variable.size(), 8 + 5);
    QCOMPARE(quint8(variable.at(1)), quint8(0xC8));
    QCOMPARE(quint8(variable.back()), quint8(0x55));

    // A length larger than the data present encodes only the bytes present.
    f = makeFrame(0x1, FrameFormat::Standard, hex("0102"));
    f.length = 6;
    QCOMPARE(quint8(encodeFixedFrame(f).at(9)), quint8(2));
}

void TestCodec::decodeFixed_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<quint32>("id");
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("remote");
    QTest::addColumn<QByteArray>("data");
    const int standard = int(FrameFormat::Standard), extended = int(FrameFormat::Extended), other = int(FrameFormat::Other);
    QTest::newRow("standard data")
        << hex("01 01 01 23 01 00 00 03 11 22 33 00 00 00 00 00 00") << quint32(0x123) << standard << false << hex("112233");
    QTest::newRow("extended data, 8 bytes")
        << hex("01 02 01 78 56 34 12 08 01 02 03 04 05 06 07 08 00") << quint32(0x12345678) << extended << false
        << hex("0102030405060708");
    QTest::newRow("format byte 3 is other")
        << hex("01 03 01 01 00 00 00 01 AB 00 00 00 00 00 00 00 00") << quint32(1) << other << false << hex("AB");
    QTest::newRow("format byte 0 is other")
        << hex("01 00 01 01 00 00 00 00 00 00 00 00 00 00 00 00 00") << quint32(1) << other << false << QByteArray();
    QTest::newRow("frame type 0 is remote")
        << hex("01 01 00 01 00 00 00 00 00 00 00 00 00 00 00 00 00") << quint32(1) << standard << true << QByteArray();
    QTest::newRow("frame type 2 is remote")
        << hex("01 02 02 FF FF FF FF 02 01 02 00 00 00 00 00 00 00") << quint32(0xFFFFFFFF) << extended << true << hex("0102");
    QTest::newRow("length above 8 is cut to the 8 bytes of the frame")
        << hex("01 01 01 05 00 00 00 0F 01 02 03 04 05 06 07 08 EE") << quint32(5) << standard << false
        << hex("0102030405060708");
}

void TestCodec::decodeFixed()
{
    QFETCH(QByteArray, payload);
    QFETCH(quint32, id);
    QFETCH(int, format);
    QFETCH(bool, remote);
    QFETCH(QByteArray, data);
    QCOMPARE(payload.size(), 17);
    // Decoding reads only the 17 payload bytes: hand it a buffer of exactly that size.
    const CanFrame f = decodeFixedPayload(payload);
    QCOMPARE(f.identifier, id);
    QCOMPARE(int(f.format), format);
    QCOMPARE(f.remote, remote);
    QCOMPARE(f.length, int(data.size()));
    QCOMPARE(f.data.toHex(), data.toHex());
}

void TestCodec::decodeVariable_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<quint32>("id");
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("remote");
    QTest::addColumn<QByteArray>("data");
    const int standard = int(FrameFormat::Standard), extended = int(FrameFormat::Extended);
    QTest::newRow("extended remote, no data")
        << hex("AA F0 78 56 34 12 55") << quint32(0x12345678) << extended << true << QByteArray();
    QTest::newRow("standard, 3 bytes") << hex("AA C3 23 01 11 22 33 55") << quint32(0x123) << standard << false << hex("112233");
    QTest::newRow("standard id uses all 16 bits") << hex("AA C0 FF FF 55") << quint32(0xFFFF) << standard << false << QByteArray();
    QTest::newRow("standard, 10 bytes")
        << hex("AA CA 01 00 00 11 22 33 44 55 66 77 88 99 55") << quint32(1) << standard << false << hex("00112233445566778899");
    QTest::newRow("extended remote with 15 bytes")
        << hex("AA FF 01 02 03 04 000102030405060708090A0B0C0D0E 55") << quint32(0x04030201) << extended << true
        << hex("000102030405060708090A0B0C0D0E");
}

void TestCodec::decodeVariable()
{
    QFETCH(QByteArray, bytes);
    QFETCH(quint32, id);
    QFETCH(int, format);
    QFETCH(bool, remote);
    QFETCH(QByteArray, data);
    QCOMPARE(VariableLayout::frameSize(quint8(bytes.at(1))), int(bytes.size()));
    const CanFrame f = decodeVariableFrame(bytes);
    QCOMPARE(f.identifier, id);
    QCOMPARE(int(f.format), format);
    QCOMPARE(f.remote, remote);
    QCOMPARE(f.length, int(data.size()));
    QCOMPARE(f.data.toHex(), data.toHex());
}

void TestCodec::roundTrip_data()
{
    QTest::addColumn<CanFrame>("input");
    for (int length = 0; length <= 8; ++length) {
        QByteArray data;
        for (int i = 0; i < length; ++i)
            data.append(char(0xA0 + 0x11 * i));
        QTest::addRow("standard, %d bytes", length) << makeFrame(0x7FF - length, FrameFormat::Standard, data);
        QTest::addRow("extended, %d bytes", length) << makeFrame(0x1FFFFFF0u + quint32(length), FrameFormat::Extended, data);
    }
}

void TestCodec::roundTrip()
{
    QFETCH(CanFrame, input);
    const QByteArray variable = encodeVariableFrame(input);
    const QByteArray fixed = encodeFixedFrame(input);
    QCOMPARE(commandSum(fixed.constData(), 2, 19), quint8(fixed.at(19)));
    for (const CanFrame &decoded : {decodeFixedPayload(fixed.mid(2, 17)), decodeVariableFrame(variable)}) {
        QCOMPARE(decoded.identifier, input.identifier);
        QCOMPARE(decoded.format, input.format);
        QCOMPARE(decoded.remote, false);
        QCOMPARE(decoded.length, input.length);
        QCOMPARE(decoded.data, input.data);
    }
}

void TestCodec::controlByteBits_data()
{
    QTest::addColumn<int>("control");
    for (int control = 0xC0; control <= 0xFF; ++control)
        QTest::addRow("0x%02x", control) << control;
}

void TestCodec::controlByteBits()
{
    QFETCH(int, control);
    const bool extended = control & 0x20;
    const int length = control & 0x0F;
    QByteArray bytes;
    bytes.append(char(0xAA)).append(char(control));
    bytes.append(extended ? hex("44332211") : hex("2211"));
    for (int i = 0; i < length; ++i)
        bytes.append(char(i + 1));
    bytes.append(char(0x55));
    QCOMPARE(VariableLayout::frameSize(quint8(control)), int(bytes.size()));
    QVERIFY(VariableLayout::isControlByte(quint8(control)));
    const CanFrame f = decodeVariableFrame(bytes);
    QCOMPARE(f.format, extended ? FrameFormat::Extended : FrameFormat::Standard);
    QCOMPARE(f.remote, bool(control & 0x10));
    QCOMPARE(f.length, length);
    QCOMPARE(f.identifier, extended ? 0x11223344u : 0x1122u);
    QCOMPARE(f.data, bytes.mid(extended ? 6 : 4, length));
}

void TestCodec::skeleton_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("fixedForm");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("bus status query") << 0x04 << QByteArray() << true
                                      << hex("AA 55 04 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 04");
    QTest::newRow("speed change to index 5") << 0x06 << hex("05") << true
                                             << hex("AA 55 06 05 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 0B");
    QTest::newRow("set and start, table timing 250K")
        << 0x02 << hex("05 01 00 00 00 00 00 00 00 00 00 01") << true
        << hex("AA 55 02 05 01 00 00 00 00 00 00 00 00 00 01 00 00 00 00 09");
    QTest::newRow("set and start, manual timing")
        << 0x13 << hex("00 02 78 56 34 12 FF FF FF 1F 00 05 04 2C 01 01") << true
        << hex("AA 55 13 00 02 78 56 34 12 FF FF FF 1F 00 05 04 2C 01 01 7C");
    QTest::newRow("filter, upload all") << 0x11 << hex("00") << false << hex("AA 55 11 00 11");
    QTest::newRow("filter, two identifiers") << 0x10 << hex("02 23 01 00 00 F0 DE BC 1A") << false
                                             << hex("AA 55 10 02 23 01 00 00 F0 DE BC 1A DA");
}

void TestCodec::skeleton()
{
    QFETCH(int, code);
    QFETCH(QByteArray, body);
    QFETCH(bool, fixedForm);
    QFETCH(QByteArray, expected);
    const QByteArray built = fixedForm ? buildFixedCommand(quint8(code), body) : buildSkeletonFrame(quint8(code), body);
    QCOMPARE(built.toHex(' '), expected.toHex(' '));
}

QTEST_APPLESS_MAIN(TestCodec)
#include "test_codec.moc"
