// The comma-separated files of the send tables.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "app/textfile.h"
#include "txtables/tablefile.h"

namespace {

QByteArray fileBytes(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void putFile(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestTableFile : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(QDir::setCurrent(dir.path())); QFile::remove("t.txt"); }
    void read_data();
    void read();
    void missingFile();
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
        << QByteArray("  1,00   11\t22 ,,\r\n2,x,y\n") << TableFileRows{{"1", "00 11 22 ", "", ""}, {"2", "x", "y"}};
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBFid,d,\xE5\x8F\x91\n")
                                     << TableFileRows{{"id", "d", QStringLiteral("发")}};
    QTest::newRow("short line ends reading") << QByteArray("1,2,3\n4,5\n6,7,8\n") << TableFileRows{{"1", "2", "3"}};
    QTest::newRow("empty line ends reading") << QByteArray("1,2,3\n\n6,7,8\n") << TableFileRows{{"1", "2", "3"}};
    QTest::newRow("no line end at the end") << QByteArray("1,2,3") << TableFileRows{{"1", "2", "3"}};
}

void TestTableFile::read()
{
    QFETCH(QByteArray, bytes);
    QFETCH(TableFileRows, rows);
    putFile("t.txt", bytes);
    TableFileRows got{{"old"}};
    QVERIFY(readTableFile("t.txt", 3, &got));
    QCOMPARE(got, rows);
}

void TestTableFile::missingFile()
{
    TableFileRows got{{"old"}};
    QVERIFY(!readTableFile("t.txt", 3, &got));
    QCOMPARE(got, TableFileRows{{"old"}});
}

void TestTableFile::save_data()
{
    QTest::addColumn<TableFileRows>("rows");
    QTest::addColumn<bool>("blocked");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray old("old\n");
    QTest::newRow("rows") << TableFileRows{{"1", "00  11", QStringLiteral("发送")}, {"", "", ""}} << false << QString()
                          << QByteArray("1,00  11,\xE5\x8F\x91\xE9\x80\x81\n,,\n");
    QTest::newRow("no rows") << TableFileRows{} << false << QString() << QByteArray();
    QTest::newRow("comma in row 2") << TableFileRows{{"1", "2"}, {"3", "00,11"}, {"4,"}} << false
                                    << QStringLiteral("第2行含有逗号，无法保存") << old;
    QTest::newRow("cannot be written") << TableFileRows{{"1", "2", "3"}} << true << fileSaveFailedText("t.txt")
                                       << QByteArray("<missing>");
}

void TestTableFile::save()
{
    QFETCH(TableFileRows, rows);
    QFETCH(bool, blocked);
    QFETCH(QString, fault);
    QFETCH(QByteArray, bytes);
    if (blocked)
        QVERIFY(QDir().mkdir("t.txt"));
    else
        putFile("t.txt", "old\n");
    QCOMPARE(saveTableFile("t.txt", rows), fault);
    QCOMPARE(fileBytes("t.txt"), bytes);
    if (blocked)
        QVERIFY(QDir().rmdir("t.txt"));
}

QTEST_GUILESS_MAIN(TestTableFile)
#include "test_tablefile.moc"
