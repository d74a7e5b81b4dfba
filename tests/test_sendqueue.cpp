// The send tables against a converter end that stops reading: once the
// port's write queue holds 100 ms of line time, table frames are refused
// while converter commands still go out.

#include <QSerialPort>
#include <QTableWidget>
#include <QtTest>

#include "support/ptypair.h"
#include "support/windowharness.h"

namespace {
const QString kQueueFull = QStringLiteral("发送缓冲区已满，帧未发送");

// Byte counts the variable-length encoder logs; other messages go on as usual.
int debugMessages = 0;
QtMessageHandler earlierHandler = nullptr;
void countDebugMessages(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtDebugMsg)
        ++debugMessages;
    else
        earlierHandler(type, context, text);
}
}

class TestSendQueue : public QObject
{
    Q_OBJECT

private slots:
    void fullQueue_data();
    void fullQueue();
};

void TestSendQueue::fullQueue_data()
{
    QTest::addColumn<QString>("speed");
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<bool>("variable");
    QTest::newRow("9600 baud: 100 ms of line time") << "9600" << qint64(96) << false;
    QTest::newRow("19200 baud, variable framing") << "19200" << qint64(192) << true;
}

void TestSendQueue::fullQueue()
{
    QFETCH(QString, speed);
    QFETCH(qint64, limit);
    QFETCH(bool, variable);
    earlierHandler = qInstallMessageHandler(countDebugMessages);
    auto restoreHandler = qScopeGuard([] { qInstallMessageHandler(earlierHandler); });
    PtyPair converter;                  // never read until the end
    QVERIFY(converter.isValid());
    WindowHarness w;
    w.openPort(converter.portName(), speed);
    QSerialPort *port = w.window().findChild<QSerialPort *>();
    QVERIFY(port && port->isOpen());
    if (variable)
        w.click("radioBtnVariable");

    // One auto row every millisecond, cycling: the pseudo-terminal's own
    // buffer fills first, then the port's queue grows.
    auto *autoTable = w.widget<QTableWidget>("tableWidget_3");
    autoTable->setRowCount(1);
    autoTable->item(0, 2)->setText(QStringLiteral("1"));
    autoTable->item(0, 3)->setCheckState(Qt::Checked);
    w.click("checkBoxAutoCycle");
    w.click("btnSendSeq");
    QVERIFY2(spinUntil([&] { return w.statusText() == kQueueFull; }, 60000), qPrintable(w.statusText()));

    // Refused from now on: the queue stays within one frame of the limit, no
    // traffic row is added, no byte count is logged, the timer goes on ticking.
    const int rows = nextTrafficRow;
    debugMessages = 0;
    const qint64 queued = port->bytesToWrite();
    QVERIFY2(queued > limit && queued <= limit + 20, qPrintable(QString::number(queued)));
    spinEventLoop(300);
    QCOMPARE(port->bytesToWrite(), queued);
    QCOMPARE(nextTrafficRow, rows);
    w.clickCell("tableWidget_2", 0, 2);
    QCOMPARE(w.statusText(), kQueueFull);
    QCOMPARE(nextTrafficRow, rows);
    QCOMPARE(debugMessages, 0);

    // A converter command is written all the same.
    w.click("btnCANBusStatus");
    QVERIFY(port->bytesToWrite() > queued);

    // The converter reads again: the queue drains and the running sequence
    // sends again without being started anew.
    QVERIFY(spinUntil([&] {
        converter.readFor(20);
        return nextTrafficRow > rows + 20;
    }, 20000));
    QVERIFY(port->bytesToWrite() <= limit + 20);
    QCOMPARE(debugMessages > 0, variable);
}

QTEST_MAIN(TestSendQueue)
#include "test_sendqueue.moc"
