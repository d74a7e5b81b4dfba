// The socketcand face's rules without I/O: the answers to every message, the
// frames sends give, received frames' messages and the beacon.

#include <QtTest>

#include "interop/socketcand.h"
#include "support/frames.h"

Q_DECLARE_METATYPE(SendVerdict)

class TestSocketcand : public QObject
{
    Q_OBJECT

private slots:
    void messages_data();
    void messages();
    void frameMessages_data();
    void frameMessages();
    void beacon();
};

// Answers are written with marks: a refused send's reason in brackets, '|'
// where the session waits for room (the gate has room when it goes on).
void TestSocketcand::messages_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<SendVerdict>("verdict");   // the program's answer to each send; NoRoom: the first only
    QTest::addColumn<QByteArray>("answers");
    QTest::addColumn<QByteArray>("frames");     // as fixed converter frames
    QTest::addColumn<bool>("closes");

    const auto ok = SendVerdict::Sent;
    const FrameFormat std = FrameFormat::Standard, ext = FrameFormat::Extended;
    const QByteArray open("< open can0 >");
    QTest::newRow("python-can: open, rawmode, sends") << open + "< rawmode >< send 123 3 11 22 33 >< send 7FF 0  >" << ok
        << QByteArray("< ok >< ok >") << fixedBytes(0x123, std, hex("11 22 33")) + fixedBytes(0x7ff, std) << false;
    QTest::newRow("extended by eight digits, by value; bit 31 dropped")
        << open + "<send 00000123 1 ff>< send 800 0 >< SEND 1 0 >< send 9fffffff 0 >" << ok << QByteArray("< ok >< error unknown command >")
        << fixedBytes(0x123, ext, hex("ff")) + fixedBytes(0x800, ext) + fixedBytes(0x1fffffff, ext) << false;
    QTest::newRow("byte tokens keep their low 8 bits") << open + "< send 1 3 FFFFFF80 7f 0 >" << ok << QByteArray("< ok >")
        << fixedBytes(0x1, std, hex("80 7f 00")) << false;
    QTest::newRow("SavvyCAN's signed tokens") << open + "< send -6dcba988 4 5 -1 -80 7f >< send -7FF 0 >< send -0 1 -FFFFFFFF >"
                                                "< send 1 1 -100000000 >< send - 0 >< send 1 -8 >"
        << ok << QByteArray("< ok >(identifier above 1FFFFFFF)(data byte is not 1 to 8 hex digits)"
                            "(identifier is not hexadecimal)(length is not 0 to 8)")
        << fixedBytes(0x12345678, ext, hex("05 ff 80 7f")) + fixedBytes(0, std, hex("01")) << false;
    QTest::newRow("refused sends are not answered") << "< send 1 0 >< rawmode >" + open + "< send 000000123 0 >< send A0000000 0 >"
                                      "< send 1 9 >< send 1 2 11 >< send 12G 0 >< send 1 1 000000001 >< send 123 >< echo >"
        << ok << QByteArray("(no bus open)< error no bus open >< ok >(identifier longer than 8 digits)"
                            "(identifier above 1FFFFFFF)(length is not 0 to 8)(length is not the count of data bytes)"
                            "(identifier is not hexadecimal)(data byte is not 1 to 8 hex digits)"
                            "(send needs an identifier and a length)< echo >")
        << QByteArray() << false;
    QTest::newRow("read-only") << open + "< send 1 0 >" << SendVerdict::ReadOnly
        << QByteArray("< ok >(the bus is read-only)") << QByteArray() << false;
    QTest::newRow("send queue full: the send and the messages after it wait") << open + "< send 1 0 >< echo >"
        << SendVerdict::NoRoom << QByteArray("< ok >|< echo >") << fixedBytes(0x1, std) << false;
    QTest::newRow("echo, modes, unknown; bytes between skipped")
        << QByteArray("x< echo >\r\n< bcmmode >< controlmode >< isotpmode >< hi >< rawmode 1 ><>") << ok
        << QByteArray("< echo >< error unsupported mode >< error unsupported mode >< error unsupported mode >"
                      "< error unknown command >< error unknown command >< error unknown command >") << QByteArray() << false;
    QTest::newRow("another bus: refused and closed") << QByteArray("< open can1 >< echo >") << ok
        << QByteArray("< error could not open bus >") << QByteArray() << true;
    QTest::newRow("512 characters and the >") << "< " + QByteArray(510, 'a') + '>' << ok << QByteArray("< error unknown command >")
                                    << QByteArray() << false;
    QTest::newRow("over 512 without its >") << open + "< " + QByteArray(511, 'a') + "< echo >" << ok << QByteArray("< ok >")
                                            << QByteArray() << true;
}

void TestSocketcand::messages()
{
    QFETCH(QByteArray, input);
    QFETCH(SendVerdict, verdict);
    QFETCH(QByteArray, answers);
    QFETCH(QByteArray, frames);
    QFETCH(bool, closes);

    // Whole, and a byte at a time: the same replies.
    for (const int chunk : {int(input.size()), 1}) {
        SocketcandSession session("can0");
        bool waited = false;
        QByteArray gotAnswers, gotFrames;
        session.setSendToBus([&](const CanFrame &frame) {
            if (verdict == SendVerdict::NoRoom && !std::exchange(waited, true))
                return SendVerdict::NoRoom;
            if (verdict == SendVerdict::ReadOnly)
                return verdict;
            gotFrames += encodeFixedFrame(frame);
            return SendVerdict::Sent;
        });
        bool closed = false;
        const auto take = [&](const QList<SocketcandReply> &replies) {
            for (const SocketcandReply &reply : replies) {
                QVERIFY(!closed);
                gotAnswers += reply.answer + (reply.refusal.isEmpty() ? QByteArray() : '(' + reply.refusal + ')');
                closed = reply.close;
            }
        };
        for (int at = 0; at < input.size(); at += chunk) {
            take(session.fromClient(input.mid(at, chunk)));
            while (session.isWaiting()) {
                gotAnswers += '|';
                take(session.resume());
            }
        }
        QCOMPARE(gotAnswers, answers);
        QCOMPARE(gotFrames.toHex(' '), frames.toHex(' '));
        QCOMPARE(closed, closes);
    }
}

void TestSocketcand::frameMessages_data()
{
    QTest::addColumn<CanFrame>("frame");
    QTest::addColumn<qint64>("usecs");
    QTest::addColumn<QByteArray>("message");    // null: cannot be shown
    const FrameFormat std = FrameFormat::Standard, ext = FrameFormat::Extended;
    QTest::newRow("standard") << makeFrame(0x7f, std, hex("0a ff")) << 1700000000000005ll
                              << QByteArray(" < frame 07F 1700000000.000005 0AFF >");
    QTest::newRow("extended, 8 bytes") << makeFrame(0x1fffffff, ext, hex("01 02 03 04 05 06 07 08")) << 1700000001999999ll
                                       << QByteArray(" < frame 1FFFFFFF 1700000001.999999 0102030405060708 >");
    QTest::newRow("no data: both blanks") << makeFrame(0x123, std, {}) << 1700000000000000ll
                                          << QByteArray(" < frame 123 1700000000.000000  >");
    QTest::newRow("remote") << makeFrame(0x123, std, {}, true) << 0ll << QByteArray();
    QTest::newRow("standard above 7FF") << makeFrame(0x800, std, {}) << 0ll << QByteArray();
    QTest::newRow("extended above 1FFFFFFF") << makeFrame(0x20000000, ext, {}) << 0ll << QByteArray();
    QTest::newRow("other format") << makeFrame(0x1, FrameFormat::Other, {}) << 0ll << QByteArray();
    QTest::newRow("nine bytes") << makeFrame(0x1, std, QByteArray(9, 'x')) << 0ll << QByteArray();
    QTest::newRow("error frame: its classes") << makeFrame(0x20000044, ext, hex("00 00 00 00 00 00 ff 80")) << 1700000000000001ll
                                              << QByteArray(" < error 044 1700000000.000001 >");
}

void TestSocketcand::frameMessages()
{
    QFETCH(CanFrame, frame);
    QFETCH(qint64, usecs);
    QFETCH(QByteArray, message);
    QCOMPARE(isErrorFrame(frame) ? socketcandErrorMessage(frame, usecs) : socketcandFrameMessage(frame, usecs).value_or(QByteArray()),
             message);
}

void TestSocketcand::beacon()
{
    QCOMPARE(socketcandBeacon(QStringLiteral("lab<1>"), QStringLiteral("127.0.0.1"), 29536, QStringLiteral("a\"b&")),
             QByteArray("<CANBeacon name=\"lab&lt;1&gt;\" type=\"SocketCAN\" description=\"Tavicon bridge\">"
                        "<URL>can://127.0.0.1:29536</URL><Bus name=\"a&quot;b&amp;\"/></CANBeacon>"));
}

QTEST_GUILESS_MAIN(TestSocketcand)
#include "test_socketcand.moc"
