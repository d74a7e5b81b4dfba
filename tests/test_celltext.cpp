// The identifier and data byte texts of the send tables' cells.

#include <QtTest>

#include "txtables/celltext.h"

class TestCellText : public QObject
{
    Q_OBJECT

private slots:
    void rowFrame_data();
    void rowFrame();
    void receiveIdentifier();
};

// `frame`: the identifier and data bytes in hexadecimal, or the fault's text.
void TestCellText::rowFrame_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<QString>("data");
    QTest::addColumn<bool>("extended");
    QTest::addColumn<QString>("frame");
    using namespace CellTextFault;
    QTest::newRow("abc") << "abc" << "1 2" << true << "abc 01 02";
    QTest::newRow("0X1a, blanks around") << " 0X1a " << "  ff  " << false << "1a ff";
    QTest::newRow("plus signs") << "+7ff" << "+0x10" << false << "7ff 10";
    QTest::newRow("extended maximum") << "1FFFFFFF" << "0 1 2 3 4 5 6 7" << true << "1fffffff 00 01 02 03 04 05 06 07";
    QTest::newRow("two adjacent blanks") << "1" << "00  11" << false << "1 00 00 11";
    QTest::newRow("empty data") << "1" << "" << false << "1 00";
    QTest::newRow("blank data") << "1" << "   " << false << "1 00";
    QTest::newRow("id -1") << "-1" << "00" << true << BadIdentifier;
    QTest::newRow("id -0") << "-0" << "00" << true << BadIdentifier;
    QTest::newRow("id 0x alone") << "0x" << "00" << true << BadIdentifier;
    QTest::newRow("id FFFFFFFF") << "FFFFFFFF" << "00" << true << BadIdentifier;
    QTest::newRow("extended 20000000") << "20000000" << "00" << true << IdentifierRange;
    QTest::newRow("nine pieces") << "1" << "zz 1 2 3 4 5 6 7 8" << false << TooManyBytes;
    QTest::newRow("byte zz") << "1" << "zz" << false << BadByte;
    QTest::newRow("byte -1") << "1" << "-1" << false << BadByte;
    QTest::newRow("identifier first") << "q" << "zz" << false << BadIdentifier;
    QTest::newRow("range before data") << "800" << "zz" << false << IdentifierRange;
    QTest::newRow("id with line feed") << "103\n" << "00" << false << BadIdentifier;
    QTest::newRow("data with carriage return") << "1" << "00 11\r" << false << BadByte;
    QTest::newRow("data line break before count") << "1" << "0 1 2 3 4 5 6 7 8\n" << false << BadByte;
}

void TestCellText::rowFrame()
{
    QFETCH(QString, identifier);
    QFETCH(QString, data);
    QFETCH(bool, extended);
    QFETCH(QString, frame);
    const FrameFormat format = extended ? FrameFormat::Extended : FrameFormat::Standard;
    const TableRowFrame row = tableRowFrame(identifier, data, format);
    const CanFrame &f = row.frame;
    QCOMPARE(row.ok() ? QString::number(f.identifier, 16) + ' ' + f.data.toHex(' ') : row.fault, frame);
    if (row.ok())
        QVERIFY(f.format == format && !f.remote && f.length == f.data.size());
}

// Receive identifiers are compared, never sent: any accepted value matches.
void TestCellText::receiveIdentifier()
{
    quint32 id = 0;
    QVERIFY(parseIdentifierText("7FFFFFFF", &id) && id == 0x7FFFFFFF);
    QVERIFY(!parseIdentifierText("", &id) && !parseIdentifierText("-12", &id) && !parseIdentifierText("80000000", &id));
}

QTEST_APPLESS_MAIN(TestCellText)
#include "test_celltext.moc"
