// The manual send table in the real window: what a click puts on the line,
// byte-exact at the converter end, and what the traffic view shows of it.

#include <QComboBox>
#include <QRadioButton>
#include <QTableWidget>
#include <QtTest>

#include "support/receivefixture.h"
#include "txtables/celltext.h"

namespace {
struct ManualFixture : ReceiveFixture
{
    QTableWidget *table = widget<QTableWidget>("tableWidget_2");
    void send(int row, const QString &identifier, const QString &data, bool variable, bool extended)
    {
        widget<QRadioButton>(variable ? "radioBtnVariable" : "radioBtnFixed")->click();
        widget<QComboBox>("cbBoxType")->setCurrentIndex(extended ? 1 : 0);
        table->item(row, 0)->setText(identifier);
        table->item(row, 1)->setText(data);
        clickCell("tableWidget_2", row, 2);
    }
};
} // namespace

class TestManualSend : public QObject
{
    Q_OBJECT

private slots:
    void wire_data();
    void wire();
    void sentRows();
    void clickChecks_data();
    void clickChecks();
    void rows();
};

// `bytes` on the line, or nothing and the fault in the status bar.
void TestManualSend::wire_data()
{
    QTest::addColumn<bool>("variable");
    QTest::addColumn<bool>("extended");
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("fault");
    const QByteArray d8 = hex("00 11 22 33 44 55 66 77");
    const QByteArray none;
    QTest::newRow("fixed standard 0X1a")
        << false << false << "0X1a" << "01" << hex("AA 55 01 01 01 1A 00 00 00 01 01 00 00 00 00 00 00 00 00 1F") << "";
    QTest::newRow("variable standard 1A") << true << false << "1A" << "01" << hex("AA C1 1A 00 01 55") << "";
    QTest::newRow("fixed extended abc") << false << true << "abc" << QString(d8.toHex(' ')) << fixedBytes(0xABC, FrameFormat::Extended, d8) << "";
    QTest::newRow("variable extended 1") << true << true << "1" << "00  11" << hex("AA E3 01 00 00 00 00 00 11 55") << "";
    QTest::newRow("empty data") << false << false << "7" << "" << fixedBytes(7, FrameFormat::Standard, hex("00")) << "";
    QTest::newRow("id not hexadecimal") << false << true << "xyz" << "00" << none << CellTextFault::BadIdentifier;
    QTest::newRow("id FFFFFFFF") << true << true << "FFFFFFFF" << "00" << none << CellTextFault::BadIdentifier;
    QTest::newRow("standard 12345") << true << false << "12345" << "00" << none << CellTextFault::IdentifierRange;
    QTest::newRow("extended 20000000") << false << true << "20000000" << "00" << none << CellTextFault::IdentifierRange;
    QTest::newRow("nine bytes") << false << false << "1" << "1 2 3 4 5 6 7 8 9" << none << CellTextFault::TooManyBytes;
    QTest::newRow("byte 100") << true << false << "1" << "00 100" << none << CellTextFault::BadByte;
    QTest::newRow("id with line break") << false << false << "103\n" << "00" << none << CellTextFault::BadIdentifier;
    QTest::newRow("data with line break") << false << false << "1" << "00 11\r\n" << none << CellTextFault::BadByte;
}

void TestManualSend::wire()
{
    QFETCH(bool, variable);
    QFETCH(bool, extended);
    QFETCH(QString, identifier);
    QFETCH(QString, data);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, fault);
    ManualFixture f;
    if (variable && !bytes.isEmpty())           // the byte count goes to the debug channel
        QTest::ignoreMessage(QtDebugMsg, QByteArray::number(bytes.size()).constData());
    f.send(3, identifier, data, variable, extended);
    QCOMPARE(f.converter.read(int(bytes.size())), bytes);
    QCOMPARE(f.converter.readFor(150), QByteArray());
    QCOMPARE(nextTrafficRow, bytes.isEmpty() ? 0 : 1);
    if (!fault.isEmpty())
        QVERIFY(f.statusText() == fault && !f.trafficView()->item(0, 0));
}

void TestManualSend::sentRows()
{
    ManualFixture f;
    f.send(0, "1ab", "  00  11 ", false, true);
    f.send(1, "0x7f", "", false, false);
    const QStringList want[] = {{"0", "发送", "数据帧", "扩展帧", "1ab", "3", "00  11"},
                                {"1", "发送", "数据帧", "标准帧", "0x7f", "1", ""}};
    for (int row = 0; row < 2; ++row) {
        QStringList got;
        for (int column : {0, 1, 3, 4, 5, 6, 7})
            got << f.cell(row, column);
        QCOMPARE(got, want[row]);
        QVERIFY(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d \\d\\d\\d$").match(f.cell(row, 2)).hasMatch());
    }
    // Paused or receive-only: the frame goes out, the view and its cursor stay.
    for (const char *box : {"checkBoxPause", "checkBoxOnlyRev"}) {
        f.click(box);
        f.send(2, "2", "02", false, false);
        f.click(box);
        QCOMPARE(f.converter.read(60).right(20), fixedBytes(2, FrameFormat::Standard, hex("02")));
        QVERIFY(nextTrafficRow == 2 && f.trafficView()->currentRow() == 1 && !f.trafficView()->item(2, 0));
    }
}

void TestManualSend::clickChecks_data()
{
    QTest::addColumn<bool>("editing");
    QTest::addColumn<bool>("open");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("identifierItem");
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("bytes");
    const QString closed = QStringLiteral("The COM port is closed, please open the COM port first");
    QTest::newRow("editing, closed") << true << false << 2 << true << "端口已关闭" << 0;
    QTest::newRow("editing, open") << true << true << 2 << true << "端口正常打开" << 0;
    QTest::newRow("closed, identifier column") << false << false << 0 << true << closed << 0;
    QTest::newRow("closed, no identifier item") << false << false << 2 << false << closed << 0;
    QTest::newRow("open, data column") << false << true << 1 << true << "端口正常打开" << 0;
    QTest::newRow("no identifier item") << false << true << 2 << false << "ID值不能为空" << 0;
    QTest::newRow("send") << false << true << 2 << true << "端口正常打开" << 20;
}

void TestManualSend::clickChecks()
{
    QFETCH(bool, editing);
    QFETCH(bool, open);
    QFETCH(int, column);
    QFETCH(bool, identifierItem);
    QFETCH(QString, status);
    QFETCH(int, bytes);
    ManualFixture f;
    if (editing)
        f.click("checkBoxEnableManual");
    if (!open)
        f.click("btnOpenClose");
    if (!identifierItem)
        delete f.table->takeItem(4, 0);
    f.clickCell("tableWidget_2", 4, column);
    QCOMPARE(f.statusText(), status);
    QCOMPARE(f.converter.readFor(150).size(), bytes);
    QCOMPARE(f.table->editTriggers(), editing ? QAbstractItemView::DoubleClicked | QAbstractItemView::AnyKeyPressed
                                              : QAbstractItemView::NoEditTriggers);
}

void TestManualSend::rows()
{
    ManualFixture f;
    QTableWidget *t = f.table;
    QCOMPARE(QList<int>({t->columnWidth(0), t->columnWidth(1), t->columnWidth(2)}), QList<int>({100, 200, 100}));
    t->setCurrentCell(9, 0);
    f.click("btnManualINsert");                 // below row 9
    t->setCurrentCell(-1, -1);
    f.click("btnManualINsert");                 // no current row: at the top
    t->setCurrentCell(2, 0);
    f.click("btnManualRemove");
    t->setCurrentCell(-1, -1);
    f.click("btnManualRemove");                 // nothing to remove
    QStringList ids;
    for (int row = 0; row < t->rowCount(); ++row)
        ids << f.cell(row, 0, "tableWidget_2").right(1);
    QCOMPARE(ids.join(""), "0023456789a");
    QCOMPARE(f.cell(10, 1, "tableWidget_2") + f.cell(10, 2, "tableWidget_2"), "00 11 22 33 44 55 66 77发送");
    QVERIFY(t->item(10, 2)->background().color() == Qt::lightGray && t->item(10, 2)->textAlignment() == Qt::AlignCenter);
}

QTEST_MAIN(TestManualSend)
#include "test_manualsend.moc"
