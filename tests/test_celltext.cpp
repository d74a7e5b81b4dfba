// The identifier and data byte texts of the send tables' cells.

#include <QtTest>

#include "support/frames.h"
#include "txtables/celltext.h"

class TestCellText : public QObject
{
    Q_OBJECT

private slots:
    void rowFrame_data();
    void rowFrame();
    void receiveIdentifier_data();
    void receiveIdentifier();
};

void TestCellText::rowFrame_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<QString>("data");
    QTest::addColumn<bool>("extended");
    QTest::addColumn<quint32>("expectedId");
    QTest::addColumn<QByteArray>("expectedData");
    QTest::addColumn<QString>("fault");
    const QString none;
    const QByteArray d8 = hex("00 11 22 33 44 55 66 77");
    QTest::newRow("abc") << "abc" << "1 2" << true << 0xABCu << hex("01 02") << none;
    QTest::newRow("0X1a, blanks") << " 0X1a " << "  ff  " << false << 0x1Au << hex("FF") << none;
    QTest::newRow("plus sign") << "+7ff" << "+0x10" << false << 0x7FFu << hex("10") << none;
    QTest::newRow("extended max") << "1FFFFFFF" << "00 11 22 33 44 55 66 77" << true << 0x1FFFFFFFu << d8 << none;
    QTest::newRow("two adjacent blanks") << "1" << "00  11" << false << 1u << hex("00 00 11") << none;
    QTest::newRow("empty data") << "1" << "" << false << 1u << hex("00") << none;
    QTest::newRow("blank data") << "1" << "   " << false << 1u << hex("00") << none;
    QTest::newRow("empty id") << "" << "00" << false << 0u << QByteArray() << CellTextFault::BadIdentifier;
    QTest::newRow("id zz") << "zz" << "00" << true << 0u << QByteArray() << CellTextFault::BadIdentifier;
    QTest::newRow("id -1") << "-1" << "00" << true << 0u << QByteArray() << CellTextFault::BadIdentifier;
    QTest::newRow("id -0") << "-0" << "00" << true << 0u << QByteArray() << CellTextFault::BadIdentifier;
    QTest::newRow("id FFFFFFFF") << "FFFFFFFF" << "00" << true << 0u << QByteArray() << CellTextFault::BadIdentifier;
    QTest::newRow("id 0x") << "0x" << "00" << true << 0u << QByteArray() << CellTextFault::BadIdentifier;
    QTest::newRow("standard 800") << "800" << "00" << false << 0u << QByteArray() << CellTextFault::IdentifierRange;
    QTest::newRow("standard 12345") << "12345" << "00" << false << 0u << QByteArray() << CellTextFault::IdentifierRange;
    QTest::newRow("extended 20000000") << "20000000" << "00" << true << 0u << QByteArray() << CellTextFault::IdentifierRange;
    QTest::newRow("nine bytes") << "1" << "0 1 2 3 4 5 6 7 8" << false << 0u << QByteArray() << CellTextFault::TooManyBytes;
    QTest::newRow("nine pieces, bad ones too") << "1" << "zz 1 2 3 4 5 6 7 8" << false << 0u << QByteArray()
                                               << CellTextFault::TooManyBytes;
    QTest::newRow("byte 100") << "1" << "00 100" << false << 0u << QByteArray() << CellTextFault::BadByte;
    QTest::newRow("byte zz") << "1" << "zz" << false << 0u << QByteArray() << CellTextFault::BadByte;
    QTest::newRow("byte -1") << "1" << "-1" << false << 0u << QByteArray() << CellTextFault::BadByte;
    QTest::newRow("bad id before bad data") << "q" << "zz" << false << 0u << QByteArray() << CellTextFault::BadIdentifier;
    QTest::newRow("range before data") << "800" << "zz" << false << 0u << QByteArray() << CellTextFault::IdentifierRange;
}

void TestCellText::rowFrame()
{
    QFETCH(QString, identifier);
    QFETCH(QString, data);
    QFETCH(bool, extended);
    QFETCH(quint32, expectedId);
    QFETCH(QByteArray, expectedData);
    QFETCH(QString, fault);
    const FrameFormat format = extended ? FrameFormat::Extended : FrameFormat::Standard;
    const TableRowFrame row = tableRowFrame(identifier, data, format);
    QCOMPARE(row.fault, fault);
    QCOMPARE(row.ok(), fault.isNull());
    if (!row.ok())
        return;
    QCOMPARE(row.frame.identifier, expectedId);
    QCOMPARE(row.frame.format, format);
    QVERIFY(!row.frame.remote);
    QCOMPARE(row.frame.data, expectedData);
    QCOMPARE(row.frame.length, int(expectedData.size()));
}

void TestCellText::receiveIdentifier_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<quint32>("value");
    QTest::newRow("0x12") << "0x00000012" << true << 0x12u;
    QTest::newRow("above extended") << "7FFFFFFF" << true << 0x7FFFFFFFu;
    QTest::newRow("empty") << "" << false << 0u;
    QTest::newRow("not hexadecimal") << "g1" << false << 0u;
    QTest::newRow("negative") << "-12" << false << 0u;
    QTest::newRow("too large") << "80000000" << false << 0u;
}

void TestCellText::receiveIdentifier()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(quint32, value);
    quint32 identifier = 0xDEADBEEF;
    QCOMPARE(parseIdentifierText(text, &identifier), accepted);
    if (accepted)
        QCOMPARE(identifier, value);
}

QTEST_APPLESS_MAIN(TestCellText)
#include "test_celltext.moc"
