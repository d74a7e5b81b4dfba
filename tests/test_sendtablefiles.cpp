// manual.txt, auto.txt and reply.txt in the real window: what a save writes,
// byte-exact, and what a start-up makes of the files it finds.

#include <QDir>
#include <QFile>
#include <QTableWidget>
#include <QtTest>

#include "files/textfile.h"
#include "support/windowharness.h"
#include "support/testfiles.h"

namespace {
// Each row as its cell texts joined by "|"; an enable cell adds "+" when checked.
QStringList rowTexts(const QTableWidget *table)
{
    QStringList rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < table->columnCount(); ++column)
            cells << table->item(row, column)->text() + (column == 3 && table->item(row, 3)->checkState() ? "+" : "");
        rows << cells.join('|');
    }
    return rows;
}
} // namespace

class TestSendTableFiles : public QObject
{
    Q_OBJECT

private slots:
    void files_data();
    void files();
    void load_data();
    void load();
    void insertAndRemove_data();
    void insertAndRemove();
};

void TestSendTableFiles::files_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes");     // row 0 as it starts, row 1 edited and disabled
    QTest::newRow("manual") << "tableWidget_2" << "btnManualSave" << "manual.txt"
                            << QByteArray("0x00000000,00 11 22 33 44 55 66 77,\xE5\x8F\x91\xE9\x80\x81\nid  1,,go\n");
    QTest::newRow("auto") << "tableWidget_3" << "btnAutoSave" << "auto.txt"
                          << QByteArray("0x00000000,00 11 22 33 44 55 66 77,1000,1,\xE5\x8F\x91\xE9\x80\x81\nid  1,,go,0,go\n");
    QTest::newRow("reply") << "tableWidget_4" << "btnAutoReplySave" << "reply.txt"
                           << QByteArray("0x00000010,0x00000020,00 11 22 33 44 55 66 77\nid  1,,go\n");
}

void TestSendTableFiles::files()
{
    QFETCH(QString, table);
    QFETCH(QString, button);
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    WindowHarness h;
    auto *t = h.widget<QTableWidget>(table.toLatin1());
    t->setRowCount(2);
    for (int column = 0; column < t->columnCount(); ++column)
        t->item(1, column)->setText(column == 0 ? "id  1" : column == 1 ? "" : "go");
    if (t->columnCount() == 4)
        t->item(1, 3)->setCheckState(Qt::Unchecked);
    h.click(button.toLatin1());
    QCOMPARE(fileBytes(file), bytes);
    QCOMPARE(h.statusText(), QString());

    t->item(1, 1)->setText("00,11");            // refused: the file stays as it was
    h.click(button.toLatin1());
    QCOMPARE(h.statusText(), QStringLiteral("第2行含有逗号，无法保存"));
    QCOMPARE(fileBytes(file), bytes);
    t->item(1, 1)->setText("00 11\n");
    h.click(button.toLatin1());
    QCOMPARE(h.statusText(), QStringLiteral("第2行含有换行符，无法保存"));
    QCOMPARE(fileBytes(file), bytes);
    QVERIFY(QFile::remove(file) && QDir().mkdir(file));
    t->setRowCount(0);
    h.click(button.toLatin1());
    QCOMPARE(h.statusText(), fileSaveFailedText(file));

    QVERIFY(QDir().rmdir(file));
    h.click(button.toLatin1());
    QVERIFY(QFile::exists(file) && fileBytes(file).isEmpty());
    MainWindow restarted;                       // an empty file: an empty table
    QCOMPARE(restarted.findChild<QTableWidget *>(table)->rowCount(), 0);
}

void TestSendTableFiles::load_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes");     // empty: no file
    QTest::addColumn<QStringList>("rows");     // the first rows
    QTest::addColumn<int>("count");
    QTest::newRow("manual missing") << "tableWidget_2" << "manual.txt" << QByteArray()
                                    << QStringList{"0x00000000|00 11 22 33 44 55 66 77|发送"} << 10;
    QTest::newRow("manual four fields, own send text, short line")
        << "tableWidget_2" << "manual.txt" << QByteArray("1,00   11 , go ,x\n2,3,4\n5,6\n7,8,9\n")
        << QStringList{"1|00 11 | go ", "2|3|4"} << 2;
    QTest::newRow("auto missing") << "tableWidget_3" << "auto.txt" << QByteArray()
                                  << QStringList{"0x00000009|00 11 22 33 44 55 66 77|1000|发送+"} << 10;
    QTest::newRow("auto flags, four fields end")
        << "tableWidget_3" << "auto.txt" << QByteArray("a,1,5,1,go\nb,,5,01,x\nc,3,5,yes,y\nd,4,,,z,more\nf,6,5,1\ng,7,5,1,v\n")
        << QStringList{"a|1|5|go+", "b||5|x", "c|3|5|y", "d|4||z"} << 4;
    QTest::newRow("reply missing") << "tableWidget_4" << "reply.txt" << QByteArray()
                                   << QStringList{"0x00000010|0x00000020|00 11 22 33 44 55 66 77"} << 10;
    QTest::newRow("reply empty line") << "tableWidget_4" << "reply.txt" << QByteArray("1,2,3\n\n7,8,9\n")
                                      << QStringList{"1|2|3"} << 1;
}

void TestSendTableFiles::load()
{
    QFETCH(QString, table);
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);
    QFETCH(int, count);
    WindowHarness h;
    if (!bytes.isEmpty())
        writeFileBytes(file, bytes);
    MainWindow restarted;
    auto *t = restarted.findChild<QTableWidget *>(table);
    QCOMPARE(t->rowCount(), count);
    const QStringList got = rowTexts(t);
    QCOMPARE(count == 10 ? got.mid(table == "tableWidget_3" ? 9 : 0, 1) : got.mid(0, int(rows.size())), rows);
    if (table == "tableWidget_2")
        QVERIFY(t->item(1, 2)->background().color() == Qt::lightGray && t->item(1, 2)->textAlignment() == Qt::AlignCenter);
}

void TestSendTableFiles::insertAndRemove_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("prefix");       // of the buttons
    QTest::addColumn<QString>("inserted");     // below row 3
    QTest::newRow("manual") << "tableWidget_2" << "btnManual" << "0x00000004|00 11 22 33 44 55 66 77|发送";
    QTest::newRow("auto") << "tableWidget_3" << "btnAuto" << "0x00000004|00 11 22 33 44 55 66 77|1000|发送+";
    QTest::newRow("reply") << "tableWidget_4" << "btnAutoReply" << "0x00000014|0x00000024|00 11 22 33 44 55 66 77";
}

void TestSendTableFiles::insertAndRemove()
{
    QFETCH(QString, table);
    QFETCH(QString, prefix);
    QFETCH(QString, inserted);
    WindowHarness h;
    auto *t = h.widget<QTableWidget>(table.toLatin1());
    t->setCurrentCell(3, 0);
    h.click((prefix + (prefix == "btnManual" ? "INsert" : "Insert")).toLatin1());
    QCOMPARE(rowTexts(t).value(4), inserted);
    t->setCurrentCell(1, 0);
    h.click((prefix + "Remove").toLatin1());
    QCOMPARE(t->rowCount(), 10);
    QCOMPARE(rowTexts(t).value(1).left(10), table == "tableWidget_4" ? "0x00000012" : "0x00000002");
}

QTEST_MAIN(TestSendTableFiles)
#include "test_sendtablefiles.moc"
