// The CAN configuration page of the real window: the bytes its buttons write
// to a pseudo-terminal, cfg.txt and receiveID.txt across restarts, the message
// boxes, and the page against the converter emulator.

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolBox>
#include <QtTest>

#include "canconfig/convertercommands.h"
#include "emulatorprocess.h"
#include "link/receivestats.h"
#include "support/frames.h"
#include "support/modaldialogs.h"
#include "support/receivefixture.h"
#include "support/testfiles.h"

namespace {

const QString PortClosed = QStringLiteral("COM端口已关闭，请先打开COM端口");
const QString NoAnswerYet = QStringLiteral("无法读取Can总线状态。请检查转换器的波特率和端口，或者在恢复默认值后重试.");
const QByteArray DefaultConfig = "2000000,正常模式,标准帧,1M,CAN_BS1_6tq,CAN_BS2_5tq,3,1000.000kbps,"
                                 "00000000,00000000,Manual BPS FALSE,SendAlways,Fixed,";

void selectText(QComboBox *box, const QString &text)
{
    const int index = box->findText(text);
    if (index < 0)
        qFatal("no item %s", qPrintable(text));
    box->setCurrentIndex(index);
}

// The state of the timing panel and the settings cfg.txt carries, in one text.
QString pageState(QWidget &w)
{
    auto box = [&](const char *name) { return w.findChild<QComboBox *>(QLatin1String(name))->currentText(); };
    auto edit = [&](const char *name) { return w.findChild<QLineEdit *>(QLatin1String(name)); };
    auto button = [&](const char *name) { return w.findChild<QAbstractButton *>(QLatin1String(name))->isChecked(); };
    return QStringList{box("cbBoxBps"), box("comboBoxMode"), box("cbBoxType"), box("cbBoxCANbps"), box("cbBoxBP1"),
                       box("cbBoxBP2"), edit("lineEditPrescale")->text(), edit("lineEditCANBps")->text(),
                       edit("lineEditFilter")->text(), edit("lineEditMask")->text(),
                       button("checkBoxManualBps") ? "manual" : "table", button("checkBoxSendOnce") ? "once" : "always",
                       button("radioBtnFixed") ? "fixed" : "variable",
                       edit("lineEditCANBps")->isHidden() ? "speed hidden" : "speed shown",
                       w.findChild<QWidget *>(QStringLiteral("cbBoxCANbps"))->isHidden() ? "table hidden" : "table shown",
                       edit("lineEditPrescale")->isEnabled() ? "timing enabled" : "timing disabled"}
        .join(QLatin1Char(','));
}

const QString DefaultState = QStringLiteral("2000000,正常模式,标准帧,1M,CAN_BS1_6tq,CAN_BS2_5tq,3,1000.000kbps,00000000,"
                                            "00000000,table,always,fixed,speed hidden,table shown,timing disabled");

// Rows of the receive-ID table: a null text is a row without an item.
void fillReceiveTable(WindowHarness &h, const QStringList &rows)
{
    auto *table = h.widget<QTableWidget>("tableWidget_5");
    table->setRowCount(0);
    for (const QString &text : rows) {
        table->insertRow(table->rowCount());
        if (!text.isNull())
            table->setItem(table->rowCount() - 1, 0, new QTableWidgetItem(text));
    }
}

QByteArray filterBytes(quint8 code, int count)
{
    QByteArray body(1, char(count));
    for (int i = 0; i < count; ++i)
        body += hex("01 02 00 00");
    return buildSkeletonFrame(code, body);
}

} // namespace

class TestCanConfig : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }
    void setStart_data();
    void setStart();
    void timingTable_data();
    void timingTable();
    void modeSwitchAndKeptSpeed();
    void configFileLoading_data();
    void configFileLoading();
    void configSurvivesRestart();
    void failedSavesAreReported();
    void statusQueryAndSpeedChange_data();
    void statusQueryAndSpeedChange();
    void busStatusShown_data();
    void busStatusShown();
    void receiveFilter_data();
    void receiveFilter();
    void receiveTableAndFile();
    void endToEnd();
};

void TestCanConfig::setStart_data()
{
    QTest::addColumn<bool>("manual");
    QTest::addColumn<QString>("canSpeed");
    QTest::addColumn<QString>("prescaler");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<bool>("extendedLoopbackOnceVariable");
    QTest::addColumn<QByteArray>("bytes");     // empty: refused
    QTest::addColumn<QString>("status");

    const QString opened = QStringLiteral("端口正常打开");
    QTest::newRow("table 250K") << false << "250K" << "12" << "00000000" << "00000000" << false
        << hex("AA 55 02 05 01 00 00 00 00 00 00 00 00 00 01 00 00 00 00 09") << opened;
    QTest::newRow("manual, variable") << true << "1M" << "300" << "12345678" << "1FFFFFFF" << true
        << hex("AA 55 13 00 02 78 56 34 12 FF FF FF 1F 00 05 04 2C 01 01 7C") << opened;
    QTest::newRow("filter and mask above 7FFFFFFF") << false << "1M" << "3" << "FFFFFFFF" << "80000000" << false
        << hex("AA 55 02 01 01 FF FF FF FF 00 00 00 80 00 01 00 00 00 00 81") << opened;
    const QString badPrescaler = QStringLiteral("预分频（十进制）值错误，不在（1~1023）范围内");
    QTest::newRow("prescaler 0") << true << "1M" << "0" << "0" << "0" << false << QByteArray() << badPrescaler;
    QTest::newRow("prescaler text") << false << "1M" << "x" << "0" << "0" << false << QByteArray() << badPrescaler;
    const QString badFilter = QStringLiteral("滤波ID或屏蔽ID值错误，请输入16进制数");
    QTest::newRow("filter text") << false << "1M" << "3" << "12G4" << "0" << false << QByteArray() << badFilter;
    QTest::newRow("empty mask") << false << "1M" << "3" << "0" << "" << false << QByteArray() << badFilter;
    QTest::newRow("prescaler checked first") << false << "1M" << "1024" << "" << "" << false << QByteArray() << badPrescaler;
    QTest::newRow("prescaler line break") << true << "1M" << "24\n" << "0" << "0" << false << QByteArray() << badPrescaler;
    QTest::newRow("filter line break") << false << "1M" << "3" << "00000000\n" << "0" << false << QByteArray() << badFilter;
    QTest::newRow("mask line break") << false << "1M" << "3" << "0" << "\r0" << false << QByteArray() << badFilter;
}

void TestCanConfig::setStart()
{
    QFETCH(bool, manual);
    QFETCH(QString, canSpeed);
    QFETCH(QString, prescaler);
    QFETCH(QString, filter);
    QFETCH(QString, mask);
    QFETCH(bool, extendedLoopbackOnceVariable);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, status);

    ReceiveFixture f;
    selectText(f.widget<QComboBox>("cbBoxCANbps"), canSpeed);
    if (manual)
        f.click("checkBoxManualBps");
    f.widget<QLineEdit>("lineEditPrescale")->setText(prescaler);
    f.widget<QLineEdit>("lineEditFilter")->setText(filter);
    f.widget<QLineEdit>("lineEditMask")->setText(mask);
    if (extendedLoopbackOnceVariable) {
        f.widget<QComboBox>("cbBoxType")->setCurrentIndex(1);
        f.widget<QComboBox>("comboBoxMode")->setCurrentIndex(1);
        f.click("checkBoxSendOnce");
        f.click("radioBtnVariable");
    }
    f.click("btnSetStart");
    const QByteArray got = bytes.isEmpty() ? f.converter.readFor(200) : f.converter.read(int(bytes.size()) + 1, 300);
    QCOMPARE(got.toHex(' '), bytes.toHex(' '));
    // Read back by another program (the bridge), the command gives the same bytes.
    const std::optional<SetStartSettings> read = parseSetStartCommand(got);
    QCOMPARE(read ? setStartCommand(*read).toHex(' ') : QByteArray("none"), bytes.isEmpty() ? QByteArray("none") : bytes.toHex(' '));
    QCOMPARE(f.statusText(), status);
    QCOMPARE(QFile::exists(QStringLiteral("cfg.txt")), !bytes.isEmpty());
}

void TestCanConfig::timingTable_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("timing");

    const char *rows[][2] = {
        {"1M", "CAN_BS1_6tq,CAN_BS2_5tq,3,1000.000kbps"},  {"800K", "CAN_BS1_8tq,CAN_BS2_6tq,3,800.000kbps"},
        {"500K", "CAN_BS1_6tq,CAN_BS2_5tq,6,500.000kbps"}, {"400K", "CAN_BS1_5tq,CAN_BS2_4tq,9,400.000kbps"},
        {"250K", "CAN_BS1_6tq,CAN_BS2_5tq,12,250.000kbps"}, {"200K", "CAN_BS1_5tq,CAN_BS2_4tq,18,200.000kbps"},
        {"125K", "CAN_BS1_6tq,CAN_BS2_5tq,24,125.000kbps"}, {"100K", "CAN_BS1_6tq,CAN_BS2_5tq,30,100.000kbps"},
        {"50K", "CAN_BS1_6tq,CAN_BS2_5tq,60,50.000kbps"},   {"20K", "CAN_BS1_5tq,CAN_BS2_4tq,180,20.000kbps"},
        {"10K", "CAN_BS1_6tq,CAN_BS2_5tq,300,10.000kbps"},  {"5K", "CAN_BS1_6tq,CAN_BS2_5tq,600,5.000kbps"},
    };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << QString::fromLatin1(row[0]) << QString::fromLatin1(row[1]);
}

void TestCanConfig::timingTable()
{
    QFETCH(QString, item);
    QFETCH(QString, timing);
    WindowHarness h;
    // Start from another row, so that every row is an index change.
    selectText(h.widget<QComboBox>("cbBoxCANbps"), item == QLatin1String("5K") ? "1M" : "5K");
    selectText(h.widget<QComboBox>("cbBoxCANbps"), item);
    QCOMPARE(pageState(h.window()).split(QLatin1Char(',')).mid(4, 4).join(QLatin1Char(',')), timing);
}

void TestCanConfig::modeSwitchAndKeptSpeed()
{
    WindowHarness h;
    auto *prescale = h.widget<QLineEdit>("lineEditPrescale");
    auto *speed = h.widget<QLineEdit>("lineEditCANBps");
    h.click("checkBoxManualBps");
    QVERIFY(!speed->isHidden() && h.widget<QWidget>("cbBoxCANbps")->isHidden() && prescale->isEnabled());
    h.widget<QComboBox>("cbBoxBP1")->setCurrentIndex(15);
    h.widget<QComboBox>("cbBoxBP2")->setCurrentIndex(7);
    prescale->setText(QStringLiteral("1023"));
    QCOMPARE(speed->text(), QStringLiteral("1.407kbps"));
    prescale->setText(QStringLiteral("12a"));                 // kept
    QCOMPARE(speed->text(), QStringLiteral("1.407kbps"));
    prescale->setText(QStringLiteral("7"));
    QVERIFY(!h.widget<QWidget>("cbBoxSYNC")->isEnabled());
    h.click("checkBoxManualBps");                            // back to the table row of "1M"
    QCOMPARE(pageState(h.window()), DefaultState);
}

void TestCanConfig::configFileLoading_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("state");

    const QByteArray line = "9600,环回模式,扩展帧,125K,CAN_BS1_3tq,CAN_BS2_2tq,77,kept text,1F,2E,"
                            "Manual BPS TRUE,SendOnce,Variable,";
    const QString lineState = QStringLiteral("9600,环回模式,扩展帧,125K,CAN_BS1_3tq,CAN_BS2_2tq,77,kept text,1F,2E,"
                                             "manual,once,variable,speed shown,table shown,timing enabled");
    QTest::newRow("no file") << QByteArray() << DefaultState;
    QTest::newRow("one line") << line << lineState;
    QTest::newRow("blanks simplified, byte-order mark, more fields")
        << QByteArray("\xEF\xBB\xBF  9600,环回模式,扩展帧,125K,CAN_BS1_3tq,CAN_BS2_2tq,77,kept \t text,1F,2E,"
                      "Manual BPS TRUE,SendOnce,Variable,extra,fields\r\n")
        << lineState;
    QTest::newRow("valid line, then an empty one") << line + "\n\n" + DefaultConfig
        << QStringLiteral("2000000,环回模式,扩展帧,1M,CAN_BS1_6tq,CAN_BS2_5tq,3,1000.000kbps,1F,2E,"
                          "manual,once,variable,speed hidden,table shown,timing disabled");
    QTest::newRow("a later line wins") << DefaultConfig + "\n" + line << lineState;
    QTest::newRow("names of no item, other words")
        << QByteArray("115200,x,y,300K,CAN_BS1_99tq,z,12,,0,0,manual bps true,sendonce,fixed,")
        << QStringLiteral("115200,正常模式,标准帧,250K,CAN_BS1_1tq,CAN_BS2_1tq,12,,0,0,"
                          "table,always,variable,speed hidden,table shown,timing enabled");
    QTest::newRow("binary") << QByteArray("\x00\x01\xFF\xFE,\x80\n\x00,,,\n", 12) << DefaultState;
    QTest::newRow("unreadable") << QByteArray("<directory>") << DefaultState;
    QTest::newRow("empty") << QByteArray("<empty>") << DefaultState;
}

void TestCanConfig::configFileLoading()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, state);
    WindowHarness h;
    if (file == "<directory>")
        QVERIFY(QDir().mkdir(QStringLiteral("cfg.txt")));
    else if (!file.isEmpty())
        writeFileBytes(QStringLiteral("cfg.txt"), file == "<empty>" ? QByteArray() : file);
    MainWindow started;
    QCOMPARE(pageState(started), state);
}

void TestCanConfig::configSurvivesRestart()
{
    ReceiveFixture f;
    f.click("btnSetStart");
    QCOMPARE(fileBytes(QStringLiteral("cfg.txt")), DefaultConfig);

    selectText(f.widget<QComboBox>("cbBoxCANbps"), QStringLiteral("20K"));
    f.click("checkBoxManualBps");
    selectText(f.widget<QComboBox>("cbBoxBP2"), QStringLiteral("CAN_BS2_8tq"));
    f.widget<QComboBox>("comboBoxMode")->setCurrentIndex(3);
    f.widget<QLineEdit>("lineEditFilter")->setText(QStringLiteral("FFFFFFFF"));
    f.widget<QLineEdit>("lineEditMask")->setText(QStringLiteral(" 0x7f"));
    f.click("radioBtnVariable");
    f.click("btnSetStart");
    const QString saved = pageState(f.window());
    QCOMPARE(saved, QStringLiteral("2000000,环回静默模式,标准帧,20K,CAN_BS1_5tq,CAN_BS2_8tq,180,14.285kbps,FFFFFFFF, 0x7f,"
                                   "manual,always,variable,speed shown,table hidden,timing enabled"));
    MainWindow restarted;
    // Loading sets the mode box and the speed's visibility only.
    QCOMPARE(pageState(restarted), QString(saved).replace("table hidden", "table shown"));
}

void TestCanConfig::failedSavesAreReported()
{
    ReceiveFixture f;
    QVERIFY(QDir().mkdir(QStringLiteral("cfg.txt")));
    QVERIFY(QDir().mkdir(QStringLiteral("receiveID.txt")));
    f.click("btnSetStart");
    QCOMPARE(f.converter.read(20).toHex(' '), buildFixedCommand(0x02, hex("01 01 00 00 00 00 00 00 00 00 00 01")).toHex(' '));
    QCOMPARE(f.statusText(), QStringLiteral("文件保存失败：cfg.txt"));
    f.click("btnReceiveSave");
    QCOMPARE(f.statusText(), QStringLiteral("文件保存失败：receiveID.txt"));
}

void TestCanConfig::statusQueryAndSpeedChange_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("press");             // for the confirmation box
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("status");

    const QString opened = QStringLiteral("端口正常打开");
    QTest::newRow("query") << true << "btnCANBusStatus" << 0 << hex("AA 55 04") + QByteArray(16, 0) + hex("04")
                           << NoAnswerYet;
    QTest::newRow("speed 9600") << true << "btnChangeBps" << int(QMessageBox::Ok)
                                << hex("AA 55 06 05") + QByteArray(15, 0) + hex("0B") << NoAnswerYet;
    QTest::newRow("speed cancelled") << true << "btnChangeBps" << int(QMessageBox::Cancel) << QByteArray() << opened;
    QTest::newRow("speed, port closed") << false << "btnChangeBps" << int(QMessageBox::Ok) << QByteArray() << PortClosed;
    QTest::newRow("speed, port closed, cancelled") << false << "btnChangeBps" << int(QMessageBox::Cancel)
                                                   << QByteArray() << QStringLiteral("端口已关闭");
}

void TestCanConfig::statusQueryAndSpeedChange()
{
    QFETCH(bool, open);
    QFETCH(QString, button);
    QFETCH(int, press);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, status);

    ReceiveFixture f;
    if (!open)
        f.click("btnOpenClose");
    f.widget<QToolBox>("toolBox")->setCurrentIndex(4);
    f.widget<QComboBox>("cbBoxChangeBps")->setCurrentIndex(5);
    std::shared_ptr<SeenMessageBox> box;
    if (press)
        box = answerNextMessageBox(QMessageBox::StandardButton(press));
    f.click(qPrintable(button));
    if (press) {
        QVERIFY(box->seen);
        QCOMPARE(box->title, QStringLiteral("更改转换器内部端口波特率"));
        QCOMPARE(box->icon, QMessageBox::Information);
        QCOMPARE(box->buttons, QMessageBox::Ok | QMessageBox::Cancel);
        const QStringList lines = box->text.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 13);
        QCOMPARE(lines.first(), QStringLiteral("单击“OK”按钮后，转换器的波特率将更改为您新设置的波特率。"));
        QVERIFY(lines[1].isEmpty() && lines[4].isEmpty());
        QCOMPARE(lines[7], QStringLiteral("同时闪烁一次：转换器的内部波特率为2000000bps "));
        QCOMPARE(lines[11], QStringLiteral("同时闪烁五次：转换器的内部波特率为19200bps "));
        QCOMPARE(lines.last(), QStringLiteral("同时闪烁六次：转换器内部的波特率为9600bps"));
    }
    QCOMPARE(f.statusText(), status);           // before a port-closed text times out
    const QByteArray got = bytes.isEmpty() ? f.converter.readFor(200) : f.converter.read(int(bytes.size()) + 1, 300);
    QCOMPARE(got.toHex(' '), bytes.toHex(' '));
}

void TestCanConfig::busStatusShown_data()
{
    QTest::addColumn<bool>("paused");
    QTest::addColumn<bool>("variable");
    QTest::newRow("running, fixed") << false << false;
    QTest::newRow("paused, variable") << true << true;
}

void TestCanConfig::busStatusShown()
{
    QFETCH(bool, paused);
    QFETCH(bool, variable);
    ReceiveFixture f;
    if (paused)
        f.click("checkBoxPause");
    if (variable)
        f.click("radioBtnVariable");
    f.click("checkBoxReplyAuto");
    f.click("btnCANBusStatus");
    QCOMPARE(f.converter.read(20).size(), 20);
    f.deliver(buildFixedCommand(0x04, hex("00 00 03 09 00 00 01")));
    QCOMPARE(f.statusText(), QStringLiteral("总线状态:正常, 错误告警, 发送错误计数器  = 9, 接受错误计数器 = 3"));
    QCOMPARE(nextTrafficRow, 0);
    QVERIFY(!f.trafficView()->item(0, 0));
    QCOMPARE(f.converter.readFor(150), QByteArray());
}

void TestCanConfig::receiveFilter_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QStringList>("rows");      // null: a row without an item
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("box");           // the critical box's text, or empty

    const QString none;
    QStringList fifty;
    for (int i = 0; i < 50; ++i)
        fifty << QStringLiteral("201");
    QTest::newRow("upload only") << "radioBtnUploadOnly" << QStringList{"123", none, "1ABCDEF0"}
        << hex("AA 55 10 02 23 01 00 00 F0 DE BC 1A DA") << QString();
    QTest::newRow("no upload, rows without items") << "radioBtnNoUpload" << QStringList{none, none}
        << hex("AA 55 11 00 11") << QString();
    QTest::newRow("upload only, rows without items") << "radioBtnUploadOnly" << QStringList{none}
        << hex("AA 55 10 00 10") << QString();
    QTest::newRow("fifty") << "radioBtnNoUpload" << fifty << filterBytes(0x11, 50) << QString();
    QTest::newRow("fifty-one") << "radioBtnNoUpload" << fifty + QStringList{"bad"} << QByteArray()
        << QStringLiteral("接收ID表的数量不能超过50.");
    QTest::newRow("empty table") << "radioBtnUploadOnly" << QStringList{} << QByteArray()
        << QStringLiteral("项目中没有ID数据，请检查");
    QTest::newRow("pass all ignores the table") << "radioBtnUploadAll" << QStringList{"bad"}
        << hex("AA 55 11 00 11") << QString();
    QTest::newRow("not hexadecimal") << "radioBtnNoUpload" << QStringList{none, "12", "xyz"} << QByteArray()
        << QStringLiteral("接收ID表第3行的ID值错误，请检查");
    QTest::newRow("above 7FFFFFFF") << "radioBtnUploadOnly" << QStringList{"80000000"} << QByteArray()
        << QStringLiteral("接收ID表第1行的ID值错误，请检查");
    QTest::newRow("negative") << "radioBtnUploadOnly" << QStringList{"1", "-1"} << QByteArray()
        << QStringLiteral("接收ID表第2行的ID值错误，请检查");
    QTest::newRow("empty item") << "radioBtnUploadOnly" << QStringList{""} << QByteArray()
        << QStringLiteral("接收ID表第1行的ID值错误，请检查");
    QTest::newRow("line break") << "radioBtnUploadOnly" << QStringList{"1", "103\n"} << QByteArray()
        << QStringLiteral("接收ID表第2行的ID值错误，请检查");
}

void TestCanConfig::receiveFilter()
{
    QFETCH(QString, choice);
    QFETCH(QStringList, rows);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, box);

    ReceiveFixture f;
    f.widget<QToolBox>("toolBox")->setCurrentIndex(4);
    fillReceiveTable(f, rows);
    f.click(qPrintable(choice));
    constexpr int NoBoxWatchMs = 300;
    auto seen = answerNextMessageBox(QMessageBox::Ok, box.isEmpty() ? NoBoxWatchMs : 5000);
    f.click("btnReceiveSet");
    if (box.isEmpty())
        spinEventLoop(NoBoxWatchMs + 100);
    QCOMPARE(seen->seen, !box.isEmpty());
    if (seen->seen) {
        QCOMPARE(seen->title, QStringLiteral("配置接收ID"));
        QCOMPARE(seen->text, box);
        QCOMPARE(seen->icon, QMessageBox::Critical);
    }
    const QByteArray got = bytes.isEmpty() ? f.converter.readFor(200) : f.converter.read(int(bytes.size()) + 1, 300);
    QCOMPARE(got.toHex(' '), bytes.toHex(' '));
}

void TestCanConfig::receiveTableAndFile()
{
    WindowHarness h;
    h.widget<QToolBox>("toolBox")->setCurrentIndex(4);
    auto *table = h.widget<QTableWidget>("tableWidget_5");
    h.click("btnReceiveSet");
    QCOMPARE(h.statusText(), PortClosed);
    h.click("btnREceiveInsert");
    QCOMPARE(table->rowCount(), 6);
    QVERIFY(!table->item(5, 0));
    table->setItem(2, 0, new QTableWidgetItem(QStringLiteral("  ")));
    table->setItem(3, 0, new QTableWidgetItem(QStringLiteral("1ABCDEF0")));
    table->setItem(5, 0, new QTableWidgetItem(QStringLiteral(" 7ff ")));
    table->setCurrentCell(1, 0);
    h.click("btnReceiveRemove");              // rows: 0x00000000, "  ", 1ABCDEF0, -, " 7ff "
    QCOMPARE(table->rowCount(), 5);
    h.widget<QStatusBar>("statusbar")->showMessage(QStringLiteral("before"));
    h.click("btnReceiveSave");
    QCOMPARE(h.statusText(), QStringLiteral("before"));      // success says nothing
    QCOMPARE(fileBytes(QStringLiteral("receiveID.txt")), QByteArray("0x00000000\n1ABCDEF0\n 7ff \n"));

    writeFileBytes(QStringLiteral("receiveID.txt"), "\xEF\xBB\xBF" "0x00000000\n1ABCDEF0\r\n 7ff \n\n123\n");
    MainWindow restarted;
    auto *loaded = restarted.findChild<QTableWidget *>(QStringLiteral("tableWidget_5"));
    QCOMPARE(loaded->rowCount(), 3);
    QCOMPARE(loaded->item(0, 0)->text(), QStringLiteral("0x00000000"));
    QCOMPARE(loaded->item(2, 0)->text(), QStringLiteral("7ff"));
}

void TestCanConfig::endToEnd()
{
    EmulatorProcess emulator({QStringLiteral("--rec"), QStringLiteral("5"), QStringLiteral("--tec"),
                              QStringLiteral("250"), QStringLiteral("--bus-off")});
    QVERIFY(emulator.isRunning());
    WindowHarness h;
    h.openPort(emulator.portName());

    h.click("btnCANBusStatus");
    QVERIFY(spinUntil([&] { return h.statusText().startsWith(QStringLiteral("总线状态:")); }, 5000));
    QCOMPARE(h.statusText(), QStringLiteral("总线状态:离线, 正常状态发送错误计数器  = 250, 接受错误计数器 = 5"));

    h.click("radioBtnVariable");
    h.click("btnSetStart");
    QVERIFY(emulator.waitForLine(QStringLiteral("RX SETSTART code=12 "), 5000).contains("aa5512"));

    h.widget<QToolBox>("toolBox")->setCurrentIndex(4);
    fillReceiveTable(h, {QStringLiteral("123"), QStringLiteral("7FF")});
    h.click("radioBtnUploadOnly");
    h.click("btnReceiveSet");
    QVERIFY(!emulator.waitForLine(QStringLiteral("RX FILTER code=10 count=2 "), 5000).isEmpty());

    const quint64 before = receiveStats().canFrames;
    emulator.command(QStringLiteral("gen 20 0 auto id=124 format=std data=seq"));
    QCOMPARE(emulator.waitForLine(QStringLiteral("DONE "), 10000), QStringLiteral("DONE sent=0 bytes=0"));
    // Thirteen bytes a frame: the variable framing of the last set-and-start.
    emulator.command(QStringLiteral("gen 20 0 auto id=123 format=std data=seq"));
    QCOMPARE(emulator.waitForLine(QStringLiteral("DONE "), 10000), QStringLiteral("DONE sent=20 bytes=260"));
    QVERIFY(spinUntil([&] { return receiveStats().canFrames - before >= 20; }, 10000));
    for (int row = 0; row < 20; ++row) {
        QCOMPARE(h.cell(row, 5), QStringLiteral("0x00000123"));
        QCOMPARE(EmulatorProcess::sequenceNumber(h.cell(row, 7)), quint32(row));
    }
}

QTEST_MAIN(TestCanConfig)
#include "test_canconfig.moc"
