// Receive processing in the real window: frames reach the view exactly once,
// however the serial driver splits the bytes, and noise is skipped.

#include <QLoggingCategory>
#include <QLineEdit>
#include <QStatusBar>
#include <QTableWidget>
#include <QtTest>

#include "link/receivestats.h"
#include "support/receivefixture.h"

namespace {

QStringList shownIds(ReceiveFixture &f)
{
    QStringList ids;
    for (int r = 0; r < nextTrafficRow; ++r)
        ids << f.cell(r, 5);
    return ids;
}

} // namespace

class TestReceive : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }
    void deliveries_data();
    void deliveries();
    void frameSplitAtEveryPosition_data();
    void frameSplitAtEveryPosition();
    void statusReplyIsNotATrafficRow();
    void reopeningDropsAHalfFrame();
    void quietLineShowsFrameBehindNoise();
    void viewFollowsTheLatestRow();
    void steadyStreamInSmallPieces();
};

void TestReceive::deliveries_data()
{
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<QStringList>("ids");
    const QByteArray a = fixedBytes(0xA, FrameFormat::Standard, QByteArray::fromHex("11"));
    const QByteArray b = variableBytes(0xB, FrameFormat::Extended, QByteArray::fromHex("2233"));
    QByteArray badSum = fixedBytes(0xC);
    badSum[19] = char(badSum[19] ^ 0x01);
    QByteArray noEnd = variableBytes(0xD);
    noEnd.back() = 0x56;

    QTest::newRow("two fixed frames") << QList<QByteArray>{a + a} << QStringList{idText(0xA), idText(0xA)};
    QTest::newRow("fixed then variable") << QList<QByteArray>{a + b} << QStringList{idText(0xA), idText(0xB)};
    QTest::newRow("bad sum skipped") << QList<QByteArray>{badSum + b} << QStringList{idText(0xB)};
    QTest::newRow("missing end mark skipped") << QList<QByteArray>{noEnd + a} << QStringList{idText(0xA)};
    QTest::newRow("noise around frames")
        << QList<QByteArray>{QByteArray::fromHex("00AA12FF") + a + QByteArray::fromHex("AAAA01") + b + QByteArray::fromHex("AA")}
        << QStringList{idText(0xA), idText(0xB)};
    QTest::newRow("fixed frame in 12 and 8 bytes") << QList<QByteArray>{a.left(12), a.mid(12)} << QStringList{idText(0xA)};
    QTest::newRow("three pieces") << QList<QByteArray>{a.left(1), a.mid(1) + b.left(3), b.mid(3) + a}
                                  << QStringList{idText(0xA), idText(0xB), idText(0xA)};
}

void TestReceive::deliveries()
{
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(QStringList, ids);
    ReceiveFixture f;
    for (const QByteArray &piece : pieces)
        f.deliver(piece);
    QCOMPARE(shownIds(f), ids);
}

void TestReceive::frameSplitAtEveryPosition_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("fixed") << fixedBytes(0x123, FrameFormat::Extended, QByteArray::fromHex("AA55AA55"));
    QTest::newRow("variable") << variableBytes(0x1AB, FrameFormat::Extended, QByteArray::fromHex("AA55C155"));
}

void TestReceive::frameSplitAtEveryPosition()
{
    QFETCH(QByteArray, frame);
    ReceiveFixture f;
    for (int cut = 1; cut < frame.size(); ++cut) {
        f.deliver(frame.left(cut));
        f.deliver(frame.mid(cut));
    }
    QCOMPARE(nextTrafficRow, int(frame.size()) - 1);
    for (int r = 0; r < nextTrafficRow; ++r)
        QCOMPARE(f.cell(r, 7).left(6), QStringLiteral("aa 55 "));
}

void TestReceive::statusReplyIsNotATrafficRow()
{
    ReceiveFixture f;
    const quint64 before = receiveStats().otherFrames;
    f.deliver(buildFixedCommand(0x04, QByteArray::fromHex("0000" "05" "06" "00" "00" "00")));
    f.deliver(buildFixedCommand(0x02, QByteArray::fromHex("05")));    // answers of other commands are ignored
    QCOMPARE(receiveStats().otherFrames, before + 2);
    QCOMPARE(nextTrafficRow, 0);
    QVERIFY(!f.trafficView()->item(0, 0));
}

void TestReceive::reopeningDropsAHalfFrame()
{
    ReceiveFixture f;
    const QByteArray a = fixedBytes(0xA);
    f.deliver(a.left(10));
    f.click("btnOpenClose");
    f.click("btnOpenClose");
    // The rest of the old frame cannot complete the half kept from before.
    f.deliver(a.mid(10) + fixedBytes(0xB));
    QCOMPARE(shownIds(f), QStringList{idText(0xB)});
}

void TestReceive::quietLineShowsFrameBehindNoise()
{
    ReceiveFixture f;
    // The noise announces a longer frame that never comes: once the line stays
    // quiet, the real frame behind it is shown all the same.
    f.deliver(QByteArray::fromHex("AAC801") + variableBytes(0xE, FrameFormat::Standard, QByteArray::fromHex("01")));
    QVERIFY(spinUntil([&] { return nextTrafficRow == 1; }, 2000));
    QCOMPARE(f.cell(0, 5), idText(0xE));
    spinEventLoop(200);
    QCOMPARE(nextTrafficRow, 1);
}

void TestReceive::viewFollowsTheLatestRow()
{
    ReceiveFixture f;
    f.deliver(fixedFramesCountingUp(600));
    QTableWidget *view = f.trafficView();
    QCOMPARE(view->currentRow(), 599);
    // Repainting is held back briefly under traffic, never for good.
    QVERIFY(spinUntil([&] { return view->viewport()->updatesEnabled(); }, 1000));
    QVERIFY(view->hasAutoScroll());
    const QRect shown = view->visualRect(view->model()->index(599, 5));
    QVERIFY(view->viewport()->rect().intersects(shown));
    QVERIFY(view->rowAt(0) > 0);                      // scrolled away from the top
}

void TestReceive::steadyStreamInSmallPieces()
{
    ReceiveFixture f;
    f.widget<QLineEdit>("lineEditTotal")->setText(QStringLiteral("5000"));
    QByteArray stream;
    for (quint32 i = 0; i < 3000; ++i)
        stream += (i % 2) ? variableBytes(i, FrameFormat::Extended, QByteArray(i % 9, char(0xAA)))
                          : fixedBytes(i, FrameFormat::Standard, QByteArray(i % 9, char(0x55)));
    // Pieces of odd sizes, so frames straddle deliveries all the time.
    for (int pos = 0, step = 1; pos < stream.size(); pos += step, step = step % 37 + 5)
        f.deliver(stream.mid(pos, step));
    QCOMPARE(nextTrafficRow, 3000);
    for (int r = 0; r < 3000; ++r)
        QCOMPARE(f.cell(r, 5), idText(quint32(r)));
}

QTEST_MAIN(TestReceive)
#include "test_receive.moc"
