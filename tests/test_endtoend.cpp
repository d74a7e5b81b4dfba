// The real window on the serial end of the converter emulator: what the
// converter sends reaches the traffic view exactly and completely.

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QStatusBar>
#include <QTableWidget>
#include <QtTest>

#include "emulatorprocess.h"
#include "link/receivestats.h"
#include "support/ptypair.h"
#include "support/windowharness.h"

namespace {

struct Connected
{
    EmulatorProcess emulator;
    WindowHarness window;
    quint64 framesBefore = receiveStats().canFrames;

    Connected()
    {
        if (!emulator.isRunning())
            qFatal("the converter emulator did not start");
        window.openPort(emulator.portName());
    }

    // Asks for `count` frames and waits until the window has taken them all.
    bool generate(int count, const QString &arguments)
    {
        emulator.command(QStringLiteral("gen %1 %2").arg(count).arg(arguments));
        if (emulator.waitForLine(QStringLiteral("DONE "), 20000).isEmpty())
            return false;
        return spinUntil([&] { return receiveStats().canFrames - framesBefore >= quint64(count); }, 20000);
    }
};

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void everyFrameShownInOrder_data();
    void everyFrameShownInOrder();
    void statisticsModeKeepsTheLatestFrame();
    void converterGoneClosesThePort();
};

void TestEndToEnd::everyFrameShownInOrder_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<int>("count");
    QTest::newRow("fixed, as fast as possible") << "0 fixed data=seq" << 3000;
    QTest::newRow("variable, as fast as possible") << "0 variable data=seq" << 3000;
    QTest::newRow("mixed with noise") << "0 mixed data=seq noise=0.3" << 3000;
    QTest::newRow("paced") << "2000 mixed data=seq" << 400;
}

void TestEndToEnd::everyFrameShownInOrder()
{
    QFETCH(QString, arguments);
    QFETCH(int, count);
    Connected c;
    c.window.widget<QLineEdit>("lineEditTotal")->setText(QString::number(count));
    QVERIFY(c.generate(count, arguments));
    spinEventLoop(150);                                   // nothing more may come
    QCOMPARE(receiveStats().canFrames - c.framesBefore, quint64(count));
    QCOMPARE(nextTrafficRow, 0);                          // exactly one lap of the ring
    for (int row = 0; row < count; ++row) {
        QCOMPARE(EmulatorProcess::sequenceNumber(c.window.cell(row, 7)), quint32(row));
        QCOMPARE(c.window.cell(row, 1), QStringLiteral("接受"));
        QCOMPARE(c.window.cell(row, 6), QStringLiteral("8"));
    }
}

void TestEndToEnd::statisticsModeKeepsTheLatestFrame()
{
    Connected c;
    c.window.click("checkBoxOnlyRev");
    c.window.click("checkBoxOverlayDisplay");
    QVERIFY(c.generate(500, QStringLiteral("0 mixed data=seq id=123 format=ext")));
    QCOMPARE(statisticsIds, QStringList{QStringLiteral("0x00000123")});
    QCOMPARE(c.window.cell(0, 5), QStringLiteral("0x00000123"));
    QCOMPARE(EmulatorProcess::sequenceNumber(c.window.cell(0, 7)), 499u);
    QVERIFY(!c.window.trafficView()->item(1, 0));
}

void TestEndToEnd::converterGoneClosesThePort()
{
    Connected c;
    QVERIFY(c.generate(10, QStringLiteral("0 fixed")));
    c.emulator.command(QStringLiteral("quit"));
    QVERIFY(spinUntil([&] { return c.window.statusText() == QStringLiteral("COM端口已断开，请检查转换器连接"); }, 5000));
    QCOMPARE(c.window.widget<QAbstractButton>("btnOpenClose")->text(), QStringLiteral("打开"));
}

QTEST_MAIN(TestEndToEnd)
#include "test_endtoend.moc"
