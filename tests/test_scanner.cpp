// Finding converter frames in the received byte stream, whatever the pieces
// the serial driver hands over.

#include <QRandomGenerator>
#include <QtTest>

#include "canconfig/convertercommands.h"
#include "link/framescanner.h"
#include "link/hostlinksession.h"
#include "support/frames.h"

namespace {


// One line per event, easy to compare: "can F|V <id> <len> <data>" or "fixed <payload>".
struct Recorder : FrameSink
{
    QStringList events;
    void canFrameReceived(const CanFrame &frame, FrameFraming framing) override
    {
        events << QStringLiteral("can %1 %2 %3 %4 %5%6")
                      .arg(framing == FrameFraming::Fixed ? "F" : "V")
                      .arg(frame.identifier, 0, 16)
                      .arg(int(frame.format))
                      .arg(frame.length)
                      .arg(QString::fromLatin1(frame.data.toHex()))
                      .arg(frame.remote ? " remote" : "");
    }
    void fixedFrameReceived(const char *payload) override
    {
        events << QStringLiteral("fixed %1").arg(QString::fromLatin1(QByteArray(payload, 17).toHex()));
    }
};


const QByteArray fixedA = hex("AA 55 01 01 01 23 01 00 00 03 11 22 33 00 00 00 00 00 00 90");
const QByteArray fixedB = hex("AA 55 01 02 01 78 56 34 12 08 01 02 03 04 05 06 07 08 00 44");
const QByteArray variableA = hex("AA C3 23 01 11 22 33 55");
const QByteArray variableB = hex("AA F0 78 56 34 12 55");
const QByteArray variableLong = hex("AA CA 01 00 00 11 22 33 44 55 66 77 88 99 55");
const QByteArray statusReply = hex("AA 55 04 00 00 7F FF 01 01 00 00 00 00 00 00 00 00 00 00 84");

const QString eventFixedA = QStringLiteral("can F 123 0 3 112233 ");
const QString eventFixedB = QStringLiteral("can F 12345678 1 8 0102030405060708 ");
const QString eventVariableA = QStringLiteral("can V 123 0 3 112233 ");
const QString eventVariableB = QStringLiteral("can V 12345678 1 0  remote");
const QString eventVariableLong = QStringLiteral("can V 1 0 10 00112233445566778899 ");

QStringList scanPieces(const QList<QByteArray> &pieces, int *pendingAtEnd = nullptr)
{
    FrameScanner scanner;
    Recorder recorder;
    for (const QByteArray &piece : pieces)
        scanner.feed(piece, recorder);
    if (pendingAtEnd)
        *pendingAtEnd = scanner.pendingSize();
    for (QString &e : recorder.events)
        e = e.trimmed();
    return recorder.events;
}

QStringList trimmed(QStringList list)
{
    for (QString &e : list)
        e = e.trimmed();
    return list;
}

} // namespace

class TestScanner : public QObject
{
    Q_OBJECT

private slots:
    void singleDelivery_data();
    void singleDelivery();
    void everySplitOverTwoDeliveries_data();
    void everySplitOverTwoDeliveries();
    void everySplitOverThreeDeliveries_data();
    void everySplitOverThreeDeliveries();
    void incompleteFrameWaitsForTheRest();
    void keptBytesNeverExceedOneFrame();
    void resetDropsKeptBytes();
    void flushReportsFramesBehindNoise();
    void flushDropsAHalfFrame();
    void randomStreamsGiveTheSameFramesHoweverSplit();
    void hostLink_data();
    void hostLink();
};

void TestScanner::singleDelivery_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("two fixed frames back to back") << fixedA + fixedB << QStringList{eventFixedA, eventFixedB};
    QTest::newRow("fixed then variable") << fixedA + variableA << QStringList{eventFixedA, eventVariableA};
    QTest::newRow("variable then fixed") << variableB + fixedB << QStringList{eventVariableB, eventFixedB};
    QTest::newRow("variable with ten data bytes") << variableLong << QStringList{eventVariableLong};

    QByteArray badSum = fixedA;
    badSum[19] = char(badSum[19] + 1);
    QTest::newRow("bad sum") << badSum << QStringList{};

    // A broken fixed frame whose data holds a whole variable frame: found by
    // skipping byte by byte through the rejected bytes.
    QByteArray hiding = hex("AA 55 01 01 01 23 01 00 00 08") + variableB + hex("00 00 FF");
    QTest::newRow("valid frame inside a rejected one") << hiding << QStringList{eventVariableB};

    QByteArray hidingFixed = hex("AA 55 01") + fixedB;
    QTest::newRow("fixed frame starting inside a rejected header") << hidingFixed << QStringList{eventFixedB};

    QByteArray noEnd = variableA;
    noEnd[7] = 0x54;
    QTest::newRow("missing end mark") << noEnd + hex("00") << QStringList{};
    QTest::newRow("missing end mark, next frame found") << noEnd + variableB << QStringList{eventVariableB};

    QTest::newRow("noise before, between, after")
        << hex("00 55 AA 12 FF") + fixedA + hex("AA 00 AA AA 3C") + variableA + hex("13 37 AA 11")
        << QStringList{eventFixedA, eventVariableA};

    QTest::newRow("status reply") << statusReply
                                  << QStringList{QStringLiteral("fixed 0400007fff010100000000000000000000")};
    QTest::newRow("status reply between frames") << variableA + statusReply + fixedA
                                                 << QStringList{eventVariableA,
                                                                QStringLiteral("fixed 0400007fff010100000000000000000000"),
                                                                eventFixedA};

    // A whole command frame is consumed: the variable frame inside it is not a frame.
    QByteArray command = buildFixedCommand(0x02, hex("AA C0 01 02 55 00 00 00"));
    QTest::newRow("other code consumed whole")
        << command << QStringList{QStringLiteral("fixed %1").arg(QString::fromLatin1(command.mid(2, 17).toHex()))};

    // Frames whose data holds the header bytes.
    QByteArray tricky = encodeFixedFrame(makeFrame(0x55AA, FrameFormat::Standard, hex("AA 55 AA 55 AA 55 AA 55")));
    QTest::newRow("header bytes inside the data")
        << tricky + fixedA << QStringList{QStringLiteral("can F 55aa 0 8 aa55aa55aa55aa55"), eventFixedA};
}

void TestScanner::singleDelivery()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    QCOMPARE(scanPieces({bytes}), trimmed(expected));
}

void TestScanner::everySplitOverTwoDeliveries_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("fixed") << hex("01 02") + fixedA + hex("03") << QStringList{eventFixedA};
    QTest::newRow("variable") << hex("01") + variableA + hex("AA") << QStringList{eventVariableA};
    QTest::newRow("long variable") << variableLong << QStringList{eventVariableLong};
    QTest::newRow("fixed, variable, status")
        << fixedB + variableB + statusReply
        << QStringList{eventFixedB, eventVariableB, QStringLiteral("fixed 0400007fff010100000000000000000000")};
}

void TestScanner::everySplitOverTwoDeliveries()
{
    QFETCH(QByteArray, stream);
    QFETCH(QStringList, expected);
    for (int cut = 0; cut <= stream.size(); ++cut) {
        const QStringList got = scanPieces({stream.left(cut), stream.mid(cut)});
        QVERIFY2(got == trimmed(expected), qPrintable(QStringLiteral("split at %1: %2").arg(cut).arg(got.join(" | "))));
    }
}

void TestScanner::everySplitOverThreeDeliveries_data()
{
    everySplitOverTwoDeliveries_data();
}

void TestScanner::everySplitOverThreeDeliveries()
{
    QFETCH(QByteArray, stream);
    QFETCH(QStringList, expected);
    for (int first = 0; first <= stream.size(); ++first) {
        for (int second = first; second <= stream.size(); ++second) {
            const QStringList got = scanPieces({stream.left(first), stream.mid(first, second - first), stream.mid(second)});
            QVERIFY2(got == trimmed(expected),
                     qPrintable(QStringLiteral("split at %1 and %2: %3").arg(first).arg(second).arg(got.join(" | "))));
        }
    }
}

void TestScanner::incompleteFrameWaitsForTheRest()
{
    // A declared length running past the end yields nothing yet, even when the
    // delivery happens to end in 0x55.
    int pending = 0;
    QCOMPARE(scanPieces({hex("AA C8 01 00 11 22 55")}, &pending), QStringList{});
    QCOMPARE(pending, 7);
    // Fixed frame split 12 + 8: shown once, when complete.
    QCOMPARE(scanPieces({fixedA.left(12), fixedA.mid(12)}), trimmed({eventFixedA}));
}

void TestScanner::keptBytesNeverExceedOneFrame()
{
    QRandomGenerator random(7);
    FrameScanner scanner;
    Recorder recorder;
    int largest = 0;
    for (int i = 0; i < 20000; ++i) {
        QByteArray piece(1 + random.bounded(40), Qt::Uninitialized);
        for (char &c : piece)   // plenty of header-like bytes
            c = char(random.bounded(4) == 0 ? 0xAA : random.bounded(3) == 0 ? 0xCF : random.bounded(256));
        scanner.feed(piece, recorder);
        largest = qMax(largest, scanner.pendingSize());
    }
    QVERIFY(largest <= VariableLayout::MaxFrameSize - 1);
    QVERIFY(largest >= FixedLayout::FrameSize - 1);   // the case was reached
}

void TestScanner::resetDropsKeptBytes()
{
    FrameScanner scanner;
    Recorder recorder;
    scanner.feed(fixedA.left(10), recorder);
    QCOMPARE(scanner.pendingSize(), 10);
    scanner.reset();
    QCOMPARE(scanner.pendingSize(), 0);
    scanner.feed(fixedA.mid(10) + variableA, recorder);
    QCOMPARE(trimmed(recorder.events), trimmed({eventVariableA}));
}

void TestScanner::flushReportsFramesBehindNoise()
{
    FrameScanner scanner;
    Recorder recorder;
    // 0xAA 0xC8 announces a 13-byte frame; the valid 8-byte frame behind it
    // waits in case the announced one is completed by the next delivery.
    scanner.feed(hex("AA C8 01") + variableA, recorder);
    QVERIFY(recorder.events.isEmpty());
    QCOMPARE(scanner.pendingSize(), 11);
    scanner.flush(recorder);
    QCOMPARE(trimmed(recorder.events), trimmed({eventVariableA}));
    QCOMPARE(scanner.pendingSize(), 0);
}

void TestScanner::flushDropsAHalfFrame()
{
    FrameScanner scanner;
    Recorder recorder;
    scanner.feed(fixedA.left(12), recorder);
    scanner.flush(recorder);
    QCOMPARE(scanner.pendingSize(), 0);
    scanner.feed(fixedA.mid(12) + variableB, recorder);
    QCOMPARE(trimmed(recorder.events), trimmed({eventVariableB}));
}

void TestScanner::randomStreamsGiveTheSameFramesHoweverSplit()
{
    QRandomGenerator random(42);
    for (int round = 0; round < 200; ++round) {
        QByteArray stream;
        for (int f = 0; f < 30; ++f) {
            const int noise = random.bounded(4);
            for (int i = 0; i < noise; ++i)
                stream.append(char(random.bounded(2) ? 0xAA : random.bounded(256)));
            QByteArray data(random.bounded(9), Qt::Uninitialized);
            for (char &c : data)
                c = char(random.bounded(2) ? 0xAA : random.bounded(256));
            const CanFrame frame = makeFrame(random.generate(), random.bounded(2) ? FrameFormat::Extended : FrameFormat::Standard, data);
            QByteArray bytes = random.bounded(2) ? encodeFixedFrame(frame) : encodeVariableFrame(frame);
            if (random.bounded(10) == 0)
                bytes[random.bounded(int(bytes.size()))] ^= char(1 + random.bounded(255));   // a damaged frame
            stream.append(bytes);
        }
        const QStringList whole = scanPieces({stream});
        QList<QByteArray> pieces;
        for (int pos = 0; pos < stream.size();) {
            const int size = 1 + random.bounded(25);
            pieces.append(stream.mid(pos, size));
            pos += size;
        }
        QCOMPARE(scanPieces(pieces), whole);
        QVERIFY(whole.size() >= 20);
    }
}

// What a program on the bridge's converter face writes, read as the
// converter reads it: frames sent and commands passed on (status queries and
// set-and-starts marked) in their order, '|' where a frame waits for room
// (there is room when it goes on); after " / " frames refused and commands kept.
void TestScanner::hostLink_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("noRoomFirst");
    QTest::addColumn<QString>("expected");
    SetStartSettings variable250k;
    variable250k.speedIndex = 4;
    variable250k.variableFraming = true;
    const QByteArray start = setStartCommand(variable250k), filter = receiveFilterCommand(0x10, {0x123});
    const QString commands = QStringLiteral("start %1;status %2;pass %3;").arg(QString(start.toHex()), QString(busStatusQuery().toHex()),
                                                                               QString(filter.toHex()));
    QTest::newRow("frames of both framings; commands passed on as they came")
        << fixedA + variableA + start + busStatusQuery() + filter << false << false << "sent 123;sent 123;" + commands + " / ";
    QTest::newRow("read-only: frames refused, commands kept but the status query")
        << fixedA + start + busStatusQuery() + filter << true << false
        << QStringLiteral("status %1; / refused;kept set-and-start;kept receive-ID filter;").arg(QString(busStatusQuery().toHex()));
    QTest::newRow("the port speed change is kept") << speedChangeCommand(2) << false << false << " / kept port speed change;";
    QTest::newRow("more than eight bytes: refused") << variableLong << false << false << " / refused;";
    QTest::newRow("a frame waits for room, and what follows it") << fixedA + busStatusQuery() + fixedB << false << true
        << QStringLiteral("|sent 123;status %1;sent 12345678; / ").arg(QString(busStatusQuery().toHex()));
}

void TestScanner::hostLink()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, readOnly);
    QFETCH(bool, noRoomFirst);
    QFETCH(QString, expected);
    for (const int chunk : {int(bytes.size()), 1}) {
        HostLinkSession link(readOnly);
        bool waited = !noRoomFirst;
        QString got, notes;
        link.setSendToBus([&](const CanFrame &frame) {
            if (!std::exchange(waited, true))
                return SendVerdict::NoRoom;
            if (readOnly)
                return SendVerdict::ReadOnly;
            got += QStringLiteral("sent %1;").arg(frame.identifier, 0, 16);
            return SendVerdict::Sent;
        });
        link.setToConverter([&](const HostCommand &c) {
            got += QStringLiteral("%1 %2;").arg(c.statusQuery ? "status" : c.started ? "start" : "pass", QString(c.bytes.toHex()));
        });
        const auto take = [&](const QList<HostLinkReply> &replies) {
            for (const HostLinkReply &r : replies) {
                if (r.refused)
                    notes += QStringLiteral("refused;");
                if (!r.kept.isEmpty())
                    notes += QStringLiteral("kept %1;").arg(QString::fromLatin1(r.kept.left(r.kept.indexOf(" aa 55"))));
            }
        };
        for (int at = 0; at < bytes.size(); at += chunk) {
            take(link.fromHost(bytes.mid(at, chunk)));
            while (link.isWaiting()) {
                got += '|';
                take(link.resume());
            }
        }
        QCOMPARE(got + " / " + notes, expected);
    }
}

QTEST_APPLESS_MAIN(TestScanner)
#include "test_scanner.moc"
