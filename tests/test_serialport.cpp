// Listing, opening and closing the converter's port, against a real pseudo-terminal.

#include <QComboBox>
#include <QPushButton>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QTableWidget>
#include <QtTest>

#include "support/ptypair.h"
#include "support/windowharness.h"

namespace {

const QString kOpened = QStringLiteral("端口正常打开");
const QString kClosed = QStringLiteral("端口已关闭");
const QString kCannotOpen = QStringLiteral("COM端口可能不存在或已被占用，请检查");
const QString kLost = QStringLiteral("COM端口已断开，请检查转换器连接");

const QByteArray kFrame = QByteArray::fromHex("AA55010101230100000311223300000000000090");

void verifyPortButtons(WindowHarness &h, const QString &buttonText, bool enabled)
{
    QCOMPARE(h.widget<QPushButton>("btnOpenClose")->text(), buttonText);
    QCOMPARE(h.widget<QPushButton>("btnSetStart")->isEnabled(), enabled);
    QCOMPARE(h.widget<QPushButton>("btnCANBusStatus")->isEnabled(), enabled);
}

QSerialPort *windowPort(WindowHarness &h)
{
    QSerialPort *port = h.window().findChild<QSerialPort *>();
    if (!port)
        qFatal("the window has no serial port");
    return port;
}

} // namespace

class TestSerialPort : public QObject
{
    Q_OBJECT

private slots:
    void startsClosed();
    void opensAtChosenSpeed_data();
    void opensAtChosenSpeed();
    void openThenClose();
    void cannotOpen_data();
    void cannotOpen();
    void portInUseByAnotherProgram();
    void searchWhileOpenKeepsThePort();
    void searchListsSystemPorts();
    void lostConverterClosesThePort();
    void reopenAfterLoss();
};

void TestSerialPort::startsClosed()
{
    WindowHarness h;
    verifyPortButtons(h, QStringLiteral("打开端口"), false);
    QVERIFY(!windowPort(h)->isOpen());
    QVERIFY(h.statusText().isEmpty());
}

void TestSerialPort::opensAtChosenSpeed_data()
{
    QTest::addColumn<QString>("speed");
    for (const char *speed : {"2000000", "1228800", "115200", "38400", "19200", "9600"})
        QTest::newRow(speed) << QString::fromLatin1(speed);
}

void TestSerialPort::opensAtChosenSpeed()
{
    QFETCH(QString, speed);
    PtyPair pty;
    QVERIFY(pty.isValid());
    WindowHarness h;
    h.openPort(pty.portName(), speed);

    QSerialPort *port = windowPort(h);
    QVERIFY(port->isOpen());
    QCOMPARE(QStringLiteral("/dev/") + port->portName(), pty.portName());
    QCOMPARE(port->baudRate(QSerialPort::Input), speed.toInt());
    QCOMPARE(port->baudRate(QSerialPort::Output), speed.toInt());
    QCOMPARE(port->dataBits(), QSerialPort::Data8);
    QCOMPARE(port->parity(), QSerialPort::NoParity);
    QCOMPARE(port->stopBits(), QSerialPort::OneStop);
    QCOMPARE(port->flowControl(), QSerialPort::NoFlowControl);
    QCOMPARE(h.statusText(), kOpened);
    verifyPortButtons(h, QStringLiteral("关闭"), true);

    // Bytes from the converter reach the window.
    pty.write(kFrame);
    QVERIFY(spinUntil([&] { return !h.cell(0, 5).isEmpty(); }));
    QCOMPARE(h.cell(0, 5), QStringLiteral("0x00000123"));
}

void TestSerialPort::openThenClose()
{
    PtyPair pty;
    WindowHarness h;
    h.openPort(pty.portName());
    QCOMPARE(h.statusText(), kOpened);
    verifyPortButtons(h, QStringLiteral("关闭"), true);

    h.click("btnOpenClose");
    QCOMPARE(h.statusText(), kClosed);
    verifyPortButtons(h, QStringLiteral("打开"), false);
    QVERIFY(!windowPort(h)->isOpen());

    // Nothing is read any more while closed; the view keeps what it had.
    pty.write(kFrame);
    spinEventLoop(100);
    QVERIFY(h.cell(0, 5).isEmpty());

    h.click("btnOpenClose");
    QCOMPARE(h.statusText(), kOpened);
    verifyPortButtons(h, QStringLiteral("关闭"), true);
}

void TestSerialPort::cannotOpen_data()
{
    QTest::addColumn<QString>("portName");
    QTest::newRow("no port at all") << QString();
    QTest::newRow("absent device") << QStringLiteral("/dev/tavicon-no-such-port");
    QTest::newRow("not a serial device") << QStringLiteral("/dev/null");
}

void TestSerialPort::cannotOpen()
{
    QFETCH(QString, portName);
    WindowHarness h;
    h.openPort(portName);
    QCOMPARE(h.statusText(), kCannotOpen);
    verifyPortButtons(h, QStringLiteral("打开端口"), false);
    QVERIFY(!windowPort(h)->isOpen());

    // After a close the button text is "打开"; a failed open keeps it.
    PtyPair pty;
    h.openPort(pty.portName());
    h.click("btnOpenClose");
    h.openPort(portName);
    QCOMPARE(h.statusText(), kCannotOpen);
    verifyPortButtons(h, QStringLiteral("打开"), false);
}

void TestSerialPort::portInUseByAnotherProgram()
{
    PtyPair pty;
    QSerialPort other;
    other.setPortName(pty.portName());
    QVERIFY(other.open(QIODevice::ReadWrite));

    WindowHarness h;
    h.openPort(pty.portName());
    QCOMPARE(h.statusText(), kCannotOpen);
    verifyPortButtons(h, QStringLiteral("打开端口"), false);
}

void TestSerialPort::searchWhileOpenKeepsThePort()
{
    PtyPair pty;
    WindowHarness h;
    h.openPort(pty.portName());
    QVERIFY(windowPort(h)->isOpen());

    h.click("btnFind");
    QVERIFY(windowPort(h)->isOpen());
    QCOMPARE(QStringLiteral("/dev/") + windowPort(h)->portName(), pty.portName());
    verifyPortButtons(h, QStringLiteral("关闭"), true);
    QCOMPARE(h.statusText(), kOpened);

    pty.write(kFrame);
    QVERIFY(spinUntil([&] { return !h.cell(0, 5).isEmpty(); }));
}

void TestSerialPort::searchListsSystemPorts()
{
    WindowHarness h;
    QStringList expected;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        expected << info.portName();
    QComboBox *box = h.widget<QComboBox>("cbBoxPort");
    box->addItem(QStringLiteral("stale entry"));
    h.click("btnFind");
    QStringList listed;
    for (int i = 0; i < box->count(); ++i)
        listed << box->itemText(i);
    QCOMPARE(listed, expected);
    QCOMPARE(box->currentIndex(), expected.isEmpty() ? -1 : 0);
}

void TestSerialPort::lostConverterClosesThePort()
{
    PtyPair pty;
    WindowHarness h;
    h.openPort(pty.portName());
    QSerialPort *port = windowPort(h);
    int errors = 0;
    QObject::connect(port, &QSerialPort::errorOccurred, port, [&](QSerialPort::SerialPortError e) {
        if (e != QSerialPort::NoError)
            ++errors;
    });

    pty.closeConverterEnd();
    QVERIFY(spinUntil([&] { return !port->isOpen(); }));
    spinEventLoop(500);   // a failing port would keep reporting errors meanwhile

    QCOMPARE(h.statusText(), kLost);
    verifyPortButtons(h, QStringLiteral("打开"), false);
    QVERIFY2(errors >= 1 && errors <= 20, qPrintable(QStringLiteral("%1 errors").arg(errors)));

    // The window is in the closed state: the next click opens, not closes.
    h.click("btnOpenClose");
    QCOMPARE(h.statusText(), kCannotOpen);
}

void TestSerialPort::reopenAfterLoss()
{
    WindowHarness h;
    {
        PtyPair first;
        h.openPort(first.portName());
        first.closeConverterEnd();
        QVERIFY(spinUntil([&] { return h.statusText() == kLost; }));
    }
    PtyPair second;
    h.openPort(second.portName());
    QCOMPARE(h.statusText(), kOpened);
    second.write(kFrame);
    QVERIFY(spinUntil([&] { return !h.cell(0, 5).isEmpty(); }));
    QCOMPARE(h.cell(0, 0), QStringLiteral("0"));
}

QTEST_MAIN(TestSerialPort)
#include "test_serialport.moc"
