// manual.txt, auto.txt and reply.txt: what a save writes, byte-exact, and
// what a start-up makes of the files it finds.

#include <QDir>
#include <QFile>
#include <QTableWidget>
#include <QtTest>

#include "app/textfile.h"
#include "support/windowharness.h"

namespace {

struct TableKind
{
    const char *table;
    const char *saveButton;
    const char *file;
};
const TableKind kManual{"tableWidget_2", "btnManualSave", "manual.txt"};
const TableKind kAuto{"tableWidget_3", "btnAutoSave", "auto.txt"};
const TableKind kReply{"tableWidget_4", "btnAutoReplySave", "reply.txt"};

// Each row as its cell texts joined by "|"; an enable cell adds [x] or [ ].
QStringList rowTexts(const QTableWidget *table)
{
    QStringList rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < table->columnCount(); ++column) {
            const QTableWidgetItem *item = table->item(row, column);
            cells << (item ? item->text() : QStringLiteral("<none>"));
            if (item && column == 3)
                cells.last() += item->checkState() == Qt::Unchecked ? " [ ]" : " [x]";
        }
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

QByteArray fileBytes(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

Q_DECLARE_METATYPE(const TableKind *)

class TestSendTableFiles : public QObject
{
    Q_OBJECT

private slots:
    void save_data();
    void save();
    void load_data();
    void load();
    void refusedSave_data();
    void refusedSave();
};

void TestSendTableFiles::save_data()
{
    QTest::addColumn<const TableKind *>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("manual") << &kManual
                            << QByteArray("0x00000000,00 11 22 33 44 55 66 77,\xE5\x8F\x91\xE9\x80\x81\n"
                                          "id  1,,go\n");
    QTest::newRow("auto") << &kAuto
                          << QByteArray("0x00000000,00 11 22 33 44 55 66 77,1000,1,\xE5\x8F\x91\xE9\x80\x81\n"
                                        "id  1,,go,0,go\n");
    QTest::newRow("reply") << &kReply << QByteArray("0x00000010,0x00000020,00 11 22 33 44 55 66 77\nid  1,,go\n");
}

// Row 0 as it starts, row 1 edited: two blanks, an empty cell, a disabled row.
void TestSendTableFiles::save()
{
    QFETCH(const TableKind *, kind);
    QFETCH(QByteArray, bytes);
    WindowHarness h;
    auto *table = h.widget<QTableWidget>(kind->table);
    table->setRowCount(2);
    for (int column = 0; column < table->columnCount(); ++column)
        table->item(1, column)->setText(column == 0 ? "id  1" : column == 1 ? "" : "go");
    if (table->columnCount() == 4)
        table->item(1, 3)->setCheckState(Qt::Unchecked);
    h.click(kind->saveButton);
    QCOMPARE(fileBytes(kind->file), bytes);
    QCOMPARE(h.statusText(), QString());

    table->setRowCount(0);
    h.click(kind->saveButton);
    QCOMPARE(fileBytes(kind->file), QByteArray());
    MainWindow restarted;
    QCOMPARE(restarted.findChild<QTableWidget *>(kind->table)->rowCount(), 0);
}

void TestSendTableFiles::load_data()
{
    QTest::addColumn<const TableKind *>("kind");
    QTest::addColumn<QByteArray>("file");      // "<missing>": no file
    QTest::addColumn<QStringList>("rows");     // only the first rows when `count` says more
    QTest::addColumn<int>("count");
    QTest::newRow("manual missing") << &kManual << QByteArray("<missing>")
                                    << QStringList{"0x00000000|00 11 22 33 44 55 66 77|发送"} << 10;
    QTest::newRow("manual short line, four fields, own send text, mark")
        << &kManual << QByteArray("\xEF\xBB\xBF" "1,00   11 , go ,x\r\n2,3,4\n5,6\n7,8,9\n")
        << QStringList{"1|00 11 | go ", "2|3|4"} << 2;
    QTest::newRow("manual empty line") << &kManual << QByteArray("1,2,3\n\n4,5,6\n") << QStringList{"1|2|3"} << 1;
    QTest::newRow("auto missing") << &kAuto << QByteArray("<missing>")
                                  << QStringList{"0x00000000|00 11 22 33 44 55 66 77|1000|发送 [x]"} << 10;
    QTest::newRow("auto flags") << &kAuto
                                << QByteArray("a,1,5,1,go\nb,2,5,01,x\nc,3,5,yes,y\nd,4,5,,z\ne,5,5,0,w,more\nf,6,5,1\ng,7,5,1,v\n")
                                << QStringList{"a|1|5|go [x]", "b|2|5|x [ ]", "c|3|5|y [ ]", "d|4|5|z [ ]", "e|5|5|w [ ]"} << 5;
    QTest::newRow("reply missing") << &kReply << QByteArray("<missing>")
                                   << QStringList{"0x00000010|0x00000020|00 11 22 33 44 55 66 77"} << 10;
    QTest::newRow("reply short line") << &kReply << QByteArray("1,2,3,4\n5,6\n7,8,9\n") << QStringList{"1|2|3"} << 1;
}

void TestSendTableFiles::load()
{
    QFETCH(const TableKind *, kind);
    QFETCH(QByteArray, file);
    QFETCH(QStringList, rows);
    QFETCH(int, count);
    WindowHarness h;
    if (file != "<missing>") {
        QFile out(kind->file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file);
    }
    MainWindow restarted;
    const auto *table = restarted.findChild<QTableWidget *>(kind->table);
    const QStringList got = rowTexts(table);
    QCOMPARE(got.size(), count);
    QCOMPARE(got.mid(0, rows.size()), rows);
    if (table == restarted.findChild<QTableWidget *>("tableWidget_2")) {
        QCOMPARE(table->item(count - 1, 2)->background().color(), QColor(Qt::lightGray));
        QCOMPARE(table->item(count - 1, 2)->textAlignment(), int(Qt::AlignCenter));
    }
}

void TestSendTableFiles::refusedSave_data()
{
    QTest::addColumn<const TableKind *>("kind");
    QTest::newRow("manual") << &kManual;
    QTest::newRow("auto") << &kAuto;
    QTest::newRow("reply") << &kReply;
}

void TestSendTableFiles::refusedSave()
{
    QFETCH(const TableKind *, kind);
    WindowHarness h;
    h.click(kind->saveButton);
    const QByteArray saved = fileBytes(kind->file);
    auto *table = h.widget<QTableWidget>(kind->table);
    table->item(2, 1)->setText("00,11");
    h.click(kind->saveButton);
    QCOMPARE(h.statusText(), QStringLiteral("第3行含有逗号，无法保存"));
    QCOMPARE(fileBytes(kind->file), saved);

    table->item(2, 1)->setText("00 11");
    QVERIFY(QFile::remove(kind->file) && QDir().mkdir(kind->file));
    h.click(kind->saveButton);
    QCOMPARE(h.statusText(), fileSaveFailedText(kind->file));
}

QTEST_MAIN(TestSendTableFiles)
#include "test_sendtablefiles.moc"
