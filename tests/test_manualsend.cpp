// The manual send table in the real window: what a click puts on the line,
// byte-exact at the converter end, and what the traffic view shows of it.

#include <QComboBox>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QtTest>

#include "support/receivefixture.h"
#include "txtables/celltext.h"

namespace {

struct ManualFixture : ReceiveFixture
{
    QTableWidget *table = widget<QTableWidget>("tableWidget_2");

    void setRow(int row, const QString &identifier, const QString &data)
    {
        table->item(row, 0)->setText(identifier);
        table->item(row, 1)->setText(data);
    }
    void choose(bool variable, bool extended)
    {
        widget<QRadioButton>(variable ? "radioBtnVariable" : "radioBtnFixed")->click();
        widget<QComboBox>("cbBoxType")->setCurrentIndex(extended ? 1 : 0);
    }
    void clickSend(int row) { clickCell("tableWidget_2", row, 2); }
};

} // namespace

class TestManualSend : public QObject
{
    Q_OBJECT

private slots:
    void wire_data();
    void wire();
    void sentRow();
    void pausedOrReceiveOnlyWritesNoRow_data();
    void pausedOrReceiveOnlyWritesNoRow();
    void clickChecks_data();
    void clickChecks();
    void rows();
};

void TestManualSend::wire_data()
{
    QTest::addColumn<bool>("variable");
    QTest::addColumn<bool>("extended");
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("fault");
    const auto S = FrameFormat::Standard;
    const auto E = FrameFormat::Extended;
    const QByteArray d8 = hex("00 11 22 33 44 55 66 77");
    QTest::newRow("fixed standard 0X1a")
        << false << false << "0X1a" << "01" << hex("AA 55 01 01 01 1A 00 00 00 01 01 00 00 00 00 00 00 00 00 1F") << "";
    QTest::newRow("variable standard 1A") << true << false << "1A" << "01" << hex("AA C1 1A 00 01 55") << "";
    QTest::newRow("fixed extended abc") << false << true << "abc" << "00 11 22 33 44 55 66 77" << fixedBytes(0xABC, E, d8) << "";
    QTest::newRow("variable extended abc") << true << true << "abc" << "00 11 22 33 44 55 66 77" << variableBytes(0xABC, E, d8) << "";
    QTest::newRow("extended small id") << true << true << "1" << "ff" << variableBytes(1, E, hex("FF")) << "";
    QTest::newRow("two adjacent blanks") << false << false << "7" << "00  11" << fixedBytes(7, S, hex("00 00 11")) << "";
    QTest::newRow("empty data") << true << false << "7" << "" << variableBytes(7, S, hex("00")) << "";
    QTest::newRow("id not hexadecimal") << false << true << "xyz" << "00" << QByteArray() << CellTextFault::BadIdentifier;
    QTest::newRow("id empty") << true << true << "" << "00" << QByteArray() << CellTextFault::BadIdentifier;
    QTest::newRow("id FFFFFFFF") << false << true << "FFFFFFFF" << "00" << QByteArray() << CellTextFault::BadIdentifier;
    QTest::newRow("id -1") << true << false << "-1" << "00" << QByteArray() << CellTextFault::BadIdentifier;
    QTest::newRow("standard 12345") << true << false << "12345" << "00" << QByteArray() << CellTextFault::IdentifierRange;
    QTest::newRow("standard 800") << false << false << "800" << "00" << QByteArray() << CellTextFault::IdentifierRange;
    QTest::newRow("extended 20000000") << false << true << "20000000" << "00" << QByteArray() << CellTextFault::IdentifierRange;
    QTest::newRow("nine bytes") << false << false << "1" << "1 2 3 4 5 6 7 8 9" << QByteArray() << CellTextFault::TooManyBytes;
    QTest::newRow("byte 100") << false << false << "1" << "00 100" << QByteArray() << CellTextFault::BadByte;
    QTest::newRow("byte zz") << true << false << "1" << "zz" << QByteArray() << CellTextFault::BadByte;
    QTest::newRow("byte -1") << false << false << "1" << "-1" << QByteArray() << CellTextFault::BadByte;
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
    f.choose(variable, extended);
    f.setRow(3, identifier, data);
    if (variable && fault.isEmpty())            // the byte count goes to the debug channel
        QTest::ignoreMessage(QtDebugMsg, QByteArray::number(bytes.size()).constData());
    f.clickSend(3);
    if (fault.isEmpty()) {
        QCOMPARE(f.converter.read(int(bytes.size())), bytes);
        QCOMPARE(f.converter.readFor(100), QByteArray());
        QCOMPARE(nextTrafficRow, 1);
    } else {
        QCOMPARE(f.converter.readFor(200), QByteArray());
        QCOMPARE(f.statusText(), fault);
        QCOMPARE(nextTrafficRow, 0);
        QVERIFY(!f.trafficView()->item(0, 0));
    }
}

void TestManualSend::sentRow()
{
    ManualFixture f;
    f.choose(false, true);
    f.setRow(0, "1ab", "  00  11 ");
    f.clickSend(0);
    f.choose(true, false);
    f.setRow(1, "0x7f", "");
    f.clickSend(1);
    QCOMPARE(f.converter.read(26).size(), 26);
    const QStringList want[] = {{"0", "发送", "", "数据帧", "扩展帧", "1ab", "3", "00  11"},
                                {"1", "发送", "", "数据帧", "标准帧", "0x7f", "1", ""}};
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 8; ++column) {
            if (column != 2)
                QCOMPARE(f.cell(row, column), want[row][column]);
        }
        QVERIFY(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d \\d\\d\\d$").match(f.cell(row, 2)).hasMatch());
    }
    QCOMPARE(f.trafficView()->currentRow(), 1);
    QCOMPARE(nextTrafficRow, 2);
}

void TestManualSend::pausedOrReceiveOnlyWritesNoRow_data()
{
    QTest::addColumn<QString>("checkBox");
    QTest::newRow("paused") << "checkBoxPause";
    QTest::newRow("receive only") << "checkBoxOnlyRev";
}

void TestManualSend::pausedOrReceiveOnlyWritesNoRow()
{
    QFETCH(QString, checkBox);
    ManualFixture f;
    f.clickSend(0);
    QCOMPARE(f.converter.read(20).size(), 20);
    f.click(checkBox.toLatin1().constData());
    f.clickSend(1);
    QCOMPARE(f.converter.read(20), fixedBytes(1, FrameFormat::Standard, hex("00 11 22 33 44 55 66 77")));
    QCOMPARE(nextTrafficRow, 1);
    QVERIFY(!f.trafficView()->item(1, 0));
    QCOMPARE(f.trafficView()->currentRow(), 0);
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
    QTest::newRow("closed, send column") << false << false << 2 << false << closed << 0;
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
    QCOMPARE(t->rowCount(), 12);
    QCOMPARE(f.cell(0, 0, "tableWidget_2"), "0x00000000");
    QCOMPARE(f.cell(1, 0, "tableWidget_2"), "0x00000000");
    QCOMPARE(f.cell(10, 0, "tableWidget_2"), "0x00000009");
    QCOMPARE(f.cell(11, 0, "tableWidget_2"), "0x0000000a");
    QCOMPARE(f.cell(11, 1, "tableWidget_2"), "00 11 22 33 44 55 66 77");
    const QTableWidgetItem *send = t->item(11, 2);
    QCOMPARE(send->text(), "发送");
    QCOMPARE(send->background().color(), QColor(Qt::lightGray));
    QCOMPARE(send->textAlignment(), int(Qt::AlignCenter));
    t->setCurrentCell(1, 0);
    f.click("btnManualRemove");
    QCOMPARE(t->rowCount(), 11);
    QCOMPARE(f.cell(1, 0, "tableWidget_2"), "0x00000001");
    t->setCurrentCell(-1, -1);
    f.click("btnManualRemove");
    QCOMPARE(t->rowCount(), 11);
}

QTEST_MAIN(TestManualSend)
#include "test_manualsend.moc"
