// The slcan face's rules without I/O: the answers to every command, the
// frames and set-and-start commands they give, and received frames' lines.

#include <QtTest>

#include "canconfig/bittiming.h"
#include "interop/slcan.h"
#include "support/frames.h"

Q_DECLARE_METATYPE(SendVerdict)

namespace {

// A set-and-start as "speed 2 mode 0 on": table index (or raw segments and
// prescaler), mode index, retransmission on/off.
QByteArray startText(const SetStartSettings &s)
{
    const QByteArray timing = s.manualTiming ? QByteArray::number(s.phase1Index) + '/' + QByteArray::number(s.phase2Index)
                                                   + '/' + QByteArray::number(s.prescaler)
                                             : "speed " + QByteArray::number(s.speedIndex);
    return timing + " mode " + QByteArray::number(s.modeIndex) + (s.retransmit ? " on;" : " off;");
}

} // namespace

class TestSlcan : public QObject
{
    Q_OBJECT

private slots:
    void commands_data();
    void commands();
    void receivedFrames_data();
    void receivedFrames();
};

// Answers are written with marks: '~' where what the client has not read is
// dropped, '!' after a frame command counted as refused, '|' where the session
// waits for room (the gate has room when it goes on). '\x04' in the input:
// the client closes the port.
void TestSlcan::commands_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<SendVerdict>("verdict");   // the program's answer to each frame; NoRoom: the first only
    QTest::addColumn<QByteArray>("answers");
    QTest::addColumn<QByteArray>("frames");     // as fixed converter frames
    QTest::addColumn<QByteArray>("starts");

    const auto ok = SendVerdict::Sent;
    const FrameFormat std = FrameFormat::Standard, ext = FrameFormat::Extended;
    QTest::newRow("python-can opens at 500k, sends") << QByteArray("C\rS6\rO\rt1232aaBB\rT01abcdef3010203\r") << ok
        << QByteArray("\r\r\r\r\r") << fixedBytes(0x123, std, hex("aa bb")) + fixedBytes(0x1abcdef, ext, hex("01 02 03"))
        << QByteArray("speed 2 mode 0 on;");
    QTest::newRow("configured raw timing, remote frames carry their length") << QByteArray("O\rr7FF3\rR1FFFFFFF0\rt0000\r") << ok
        << QByteArray("\r\r\r\r") << fixedBytes(0x7ff, std, hex("00 00 00"), true) + fixedBytes(0x1fffffff, ext, {}, true)
                                        + fixedBytes(0, std) << QByteArray("11/1/4 mode 0 on;");
    QTest::newRow("bit 31 of an extended identifier dropped") << QByteArray("O\rT923456780\rR800000001\rTA00000000\rTFFFFFFFF0\r")
        << ok << QByteArray("\r\r\r\a!\a!") << fixedBytes(0x12345678, ext) + fixedBytes(0, ext, hex("00"), true)
        << QByteArray("11/1/4 mode 0 on;");
    QTest::newRow("refused frames") << QByteArray("O\rt8000\rT200000000\rt1239\rt12320A\rt1231G0\rr1230AA\rt12\rT1230\r")
        << ok << QByteArray("\r\a!\a!\a!\a!\a!\a!\a!\a!") << QByteArray() << QByteArray("11/1/4 mode 0 on;");
    QTest::newRow("frames while closed, C twice") << QByteArray("t1230\rO\rC\rC\rt1230\r") << ok
        << QByteArray("\a!\r~\r\r\a!") << QByteArray() << QByteArray("11/1/4 mode 0 on;");
    QTest::newRow("S0..S8") << QByteArray("S0\rO\rC\rS1\rO\rC\rS2\rO\rC\rS3\rO\rC\rS4\rO\rC\rS5\rO\rC\rS6\rO\rC\rS7\rO\rC\rS8\rO\r")
        << ok << QByteArray("\r\r~\r").repeated(8) + "\r\r" << QByteArray()
        << QByteArray("speed 10 mode 0 on;speed 9 mode 0 on;speed 8 mode 0 on;speed 7 mode 0 on;speed 6 mode 0 on;"
                      "speed 4 mode 0 on;speed 2 mode 0 on;speed 1 mode 0 on;speed 0 mode 0 on;");
    QTest::newRow("S while open, S9, bad S") << QByteArray("O\rS3\rS9\rS\rS10\rs\r") << ok << QByteArray("\r\a\a\a\a\a")
        << QByteArray() << QByteArray("11/1/4 mode 0 on;");
    QTest::newRow("an open while open starts afresh, the other mode with its start") << QByteArray("O\rO\rL\rL\rO\r") << ok
        << QByteArray("\r~\r~\r~\r~\r") << QByteArray()
        << QByteArray("11/1/4 mode 0 on;11/1/4 mode 2 on;11/1/4 mode 0 on;");
    QTest::newRow("listen-only is silent and sends no frame") << QByteArray("L\rt1230\rC\rO\r") << ok
        << QByteArray("\r\a!~\r\r") << QByteArray() << QByteArray("11/1/4 mode 2 on;11/1/4 mode 0 on;");
    QTest::newRow("M and A apply at the next open") << QByteArray("M1\rA1\rO\rM0\rA0\rC\rO\rZ1\rZ0\r") << ok
        << QByteArray("\r\r\r\r\r~\r\r\r\r") << QByteArray() << QByteArray("11/1/4 mode 2 off;11/1/4 mode 0 on;");
    QTest::newRow("malformed switches, unknown commands") << QByteArray("M2\rA\rZ11\rM00000000\rm1\rX\r\rOO\rVV\r") << ok
        << QByteArray(9, '\a') << QByteArray() << QByteArray();
    QTest::newRow("V N") << QByteArray("V\rN\r") << ok << QByteArray("V0120\rNTAVI\r") << QByteArray() << QByteArray();
    QTest::newRow("queue full: the frame and the lines after it wait, F bit 1 once")
        << QByteArray("O\rt1230\rV\rF\rF\r") << SendVerdict::NoRoom << QByteArray("\r|\rV0120\rF02\rF00\r")
        << fixedBytes(0x123, std) << QByteArray("11/1/4 mode 0 on;");
    QTest::newRow("read-only: refused") << QByteArray("O\rt1230\rF\r") << SendVerdict::ReadOnly
        << QByteArray("\r\a!F00\r") << QByteArray() << QByteArray("11/1/4 mode 0 on;");
    QTest::newRow("overlong line: one error at its end") << "O\r" + QByteArray(200, 't') + "\rt1230\r" + QByteArray(64, 'V') + '\r'
        << ok << QByteArray("\r\a\r\a") << fixedBytes(0x123, std) << QByteArray("11/1/4 mode 0 on;");
    QTest::newRow("\\r\\n endings; a newline inside a line") << QByteArray("O\r\nt1230\r\nN\nV\r") << ok << QByteArray("\r\r\a")
        << fixedBytes(0x123, std) << QByteArray("11/1/4 mode 0 on;");
    QTest::newRow("a client leaves: closed, its partial line dropped; the next one starts clean")
        << QByteArray("L\rt12\x04" "C\rS6\rO\rt1230\r\x04\x04") << ok << QByteArray("\r~\r\r\r\r~~")
        << fixedBytes(0x123, std) << QByteArray("11/1/4 mode 2 on;speed 2 mode 0 on;");
    QTest::newRow("a client leaves while its frame waits: the frame is sent first")
        << QByteArray("O\rt1230\r\x04") << SendVerdict::NoRoom << QByteArray("\r|\r~") << fixedBytes(0x123, std)
        << QByteArray("11/1/4 mode 0 on;");
}

void TestSlcan::commands()
{
    QFETCH(QByteArray, input);
    QFETCH(SendVerdict, verdict);
    QFETCH(QByteArray, answers);
    QFETCH(QByteArray, frames);
    QFETCH(QByteArray, starts);

    SetStartSettings configured;               // 600k raw, as --bitrate 600000 gives
    QVERIFY(applyBitrateTiming(bitrateTiming(600000), &configured));
    // Whole, and a byte at a time: the same replies.
    for (const int chunk : {int(input.size()), 1}) {
        SlcanSession session(configured);
        bool waited = false;
        QByteArray gotAnswers, gotFrames, gotStarts;
        session.setSendToBus([&](const CanFrame &frame) {
            if (verdict == SendVerdict::NoRoom && !std::exchange(waited, true))
                return SendVerdict::NoRoom;
            if (verdict == SendVerdict::ReadOnly)
                return verdict;
            gotFrames += encodeFixedFrame(frame);
            return SendVerdict::Sent;
        });
        session.setStartConverter([&](const SetStartSettings &s) { gotStarts += startText(s); });
        const auto take = [&](const QList<SlcanReply> &replies) {
            for (const SlcanReply &reply : replies) {
                gotAnswers += (reply.dropUnread ? "~" : "") + reply.answer + (reply.refused ? "!" : "");
            }
        };
        const QList<QByteArray> clients = input.split('\x04');
        for (qsizetype c = 0; c < clients.size(); ++c) {
            const QByteArray &bytes = clients.at(c);
            for (int at = 0; at < bytes.size(); at += chunk) {
                take(session.fromClient(bytes.mid(at, chunk)));
                // What waits at the end of a client that leaves goes on after it has gone.
                while (session.isWaiting() && (at + chunk < bytes.size() || c + 1 == clients.size())) {
                    gotAnswers += '|';
                    take(session.resume());
                }
            }
            if (c + 1 < clients.size())
                take(session.clientGone());
            while (session.isWaiting()) {
                gotAnswers += '|';
                take(session.resume());
            }
        }
        QCOMPARE(gotAnswers, answers);
        QCOMPARE(gotFrames.toHex(' '), frames.toHex(' '));
        QCOMPARE(gotStarts, starts);
    }
}

void TestSlcan::receivedFrames_data()
{
    QTest::addColumn<CanFrame>("frame");
    QTest::addColumn<QByteArray>("commands");   // before the frame
    QTest::addColumn<qint64>("msecs");
    QTest::addColumn<QByteArray>("line");       // null: dropped and flagged; empty: nothing
    const FrameFormat std = FrameFormat::Standard, ext = FrameFormat::Extended;
    QTest::newRow("standard") << makeFrame(0x7ff, std, hex("0a ff")) << QByteArray("O\r") << 0ll << QByteArray("t7FF20AFF\r");
    QTest::newRow("extended, 8 bytes, timestamp")
        << makeFrame(0x1fffffff, ext, hex("01 02 03 04 05 06 07 08")) << QByteArray("Z1\rO\r") << 1700000099999ll
        << QByteArray("T1FFFFFFF80102030405060708EA5F\r");
    QTest::newRow("remote, timestamp wraps each minute") << makeFrame(0x12, std, hex("00 00 00"), true) << QByteArray("Z1\rL\r")
        << 1700000040001ll << QByteArray("r01230001\r");
    QTest::newRow("remote extended") << makeFrame(0x0, ext, {}, true) << QByteArray("O\r") << 0ll << QByteArray("R000000000\r");
    QTest::newRow("closed: nothing, no flag") << makeFrame(0x1, std, {}) << QByteArray("O\rC\r") << 0ll << QByteArray("");
    QTest::newRow("standard above 7FF") << makeFrame(0x800, std, {}) << QByteArray("O\r") << 0ll << QByteArray();
    QTest::newRow("extended above 1FFFFFFF") << makeFrame(0x20000000, ext, {}) << QByteArray("O\r") << 0ll << QByteArray();
    QTest::newRow("other format") << makeFrame(0x1, FrameFormat::Other, {}) << QByteArray("O\r") << 0ll << QByteArray();
    QTest::newRow("nine bytes") << makeFrame(0x1, std, QByteArray(9, 'x')) << QByteArray("O\r") << 0ll << QByteArray();
}

void TestSlcan::receivedFrames()
{
    QFETCH(CanFrame, frame);
    QFETCH(QByteArray, commands);
    QFETCH(qint64, msecs);
    QFETCH(QByteArray, line);

    SlcanSession session{SetStartSettings()};
    session.fromClient(commands);
    const SlcanDelivery delivery = session.deliver(frame, msecs);
    QCOMPARE(delivery.line, line);
    QCOMPARE(delivery.dropped, line.isNull());
    QCOMPARE(session.fromClient("F\r").constFirst().answer, QByteArray(line.isNull() ? "F01\r" : "F00\r"));
}

QTEST_GUILESS_MAIN(TestSlcan)
#include "test_slcan.moc"
