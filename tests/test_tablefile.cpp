// The comma-separated files of the send tables.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "support/testfiles.h"
#include "txtables/tablefile.h"

class TestTableFile : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(QDir::setCurrent(dir.path()) && (!QFile::exists("t.txt") || QFile::remove("t.txt"))); }
    // (a file that cannot be written: tested through the windows' save buttons)
    void read_data();
    void read();
    void save_data();
    void save();

private:
    QTemporaryDir dir;
};

void TestTableFile::read_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<TableFileRows>("rows");
    QTest::newRow("empty file") << QByteArray() << TableFileRows{};
    QTest::newRow("simplified, empty fields kept")
        << QByteArray("  1,00   11\t22 ,,\r\n2,x,y") << TableFileRows{{"1", "00 11 22 ", "", ""}, {"2", "x", "y"}};
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF" "a,b,\xE5\x8F\x91\n") << TableFileRows{{"a", "b", "发"}};
    QTest::newRow("short line ends reading") << QByteArray("1,2,3\n4,5\n6,7,8\n") << TableFileRows{{"1", "2", "3"}};
    QTest::newRow("empty line ends reading") << QByteArray("1,2,3\n\n6,7,8\n") << TableFileRows{{"1", "2", "3"}};
}

void TestTableFile::read()
{
    QFETCH(QByteArray, bytes);
    QFETCH(TableFileRows, rows);
    TableFileRows got{{"old"}};
    QVERIFY(!readTableFile("t.txt", 3, &got) && got == TableFileRows{{"old"}});   // no file
    writeFileBytes("t.txt", bytes);
    QVERIFY(readTableFile("t.txt", 3, &got));
    QCOMPARE(got, rows);
}

// The previous file "old\n" stays whole when a save is refused.
void TestTableFile::save_data()
{
    QTest::addColumn<TableFileRows>("rows");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("rows") << TableFileRows{{"1", "00  11", "发送"}, {"", "", ""}} << QString()
                          << QByteArray("1,00  11,\xE5\x8F\x91\xE9\x80\x81\n,,\n");
    QTest::newRow("no rows") << TableFileRows{} << QString() << QByteArray();
    QTest::newRow("comma in row 2") << TableFileRows{{"1"}, {"3", "00,11"}, {"4,"}} << "第2行含有逗号，无法保存"
                                    << QByteArray("old\n");
    QTest::newRow("line feed in row 3") << TableFileRows{{"1"}, {"2"}, {"3", "00 11\n"}, {"4,"}}
                                        << "第3行含有换行符，无法保存" << QByteArray("old\n");
    QTest::newRow("carriage return in row 1") << TableFileRows{{"1\r"}, {"2,"}} << "第1行含有换行符，无法保存"
                                              << QByteArray("old\n");
    QTest::newRow("comma and line break in one row") << TableFileRows{{"1\n", "2,"}} << "第1行含有逗号，无法保存"
                                                     << QByteArray("old\n");
}

void TestTableFile::save()
{
    QFETCH(TableFileRows, rows);
    QFETCH(QString, fault);
    QFETCH(QByteArray, bytes);
    writeFileBytes("t.txt", "old\n");
    QCOMPARE(saveTableFile("t.txt", rows), fault);
    QCOMPARE(fileBytes("t.txt"), bytes);
}

QTEST_GUILESS_MAIN(TestTableFile)
#include "test_tablefile.moc"
