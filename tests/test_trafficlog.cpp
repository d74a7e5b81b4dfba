// The traffic log's lines and files, without the window.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "support/testfiles.h"

#include "traffic/trafficlog.h"

namespace {

QStringList padding()
{
    QStringList blanks;
    for (int k = 0; k < 20; ++k)
        blanks.append(QString(20 - k, QLatin1Char(' ')));
    return blanks;
}

QString blanks(int n)
{
    return QString(n, QLatin1Char(' '));
}

} // namespace

class TestTrafficLog : public QObject
{
    Q_OBJECT

private slots:
    void field_data();
    void field();
    void lines();
    void autoFileName_data();
    void autoFileName();
    void newNameWhenTaken();
};

void TestTrafficLog::field_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty") << "" << QString(20, ' ');
    QTest::newRow("two Chinese characters") << "序号" << QStringLiteral("序号                  ");
    QTest::newRow("19 characters") << "0123456789abcdefghi" << "0123456789abcdefghi ";
    QTest::newRow("20 characters") << "0123456789abcdefghij" << "0123456789abcdefghij";
    QTest::newRow("21: data of 1 to 7 bytes") << "01 02                " << "01 02                ";
    QTest::newRow("23: data of 8 bytes") << "00 11 22 33 44 55 66 77" << "00 11 22 33 44 55 66 77";
}

void TestTrafficLog::field()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(logField(text, padding()), expected);
}

void TestTrafficLog::lines()
{
    const QStringList headers = {"序号", "传输方向", "时间标识", "帧格式", "帧类型", "帧ID", "数据长度", "数据(16进制)"};
    const QByteArray header = logHeaderLine(headers, padding());
    QVERIFY(!header.startsWith("\xEF\xBB\xBF"));
    QVERIFY(QString::fromUtf8(header).endsWith(QStringLiteral("数据(16进制)") + blanks(12) + "\n"));
    QCOMPARE(QString::fromUtf8(header).size(), 161);
    QCOMPARE(QString::fromUtf8(header).left(22), QStringLiteral("序号") + blanks(18) + QStringLiteral("传输"));

    // A missing format cell is a field of blanks; a long last text runs to the line end.
    const QStringList cells = {"7", "接受", "14:03:07 045", "数据帧", QString(), "0x000001ab", "8",
                               "00 11 22 33 44 55 66 77"};
    const QString expected = "7" + blanks(19) + "接受" + blanks(18) + "14:03:07 045" + blanks(8) + "数据帧"
                             + blanks(17) + blanks(20) + "0x000001ab" + blanks(10) + "8" + blanks(19)
                             + "00 11 22 33 44 55 66 77\n";
    QCOMPARE(QString::fromUtf8(logRowLine(cells, padding())), expected);

    // An edited cell's line breaks are blanks, so the row stays one line.
    QCOMPARE(QString::fromUtf8(logRowLine({"a\nb", "\r\n"}, padding())), "a b" + blanks(17) + blanks(20) + "\n");
}

void TestTrafficLog::autoFileName_data()
{
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<int>("attempt");
    QTest::addColumn<QString>("expected");
    const QDateTime morning(QDate(2026, 12, 8), QTime(10, 15, 0, 123));
    const QDateTime night(QDate(2027, 1, 2), QTime(23, 4, 5, 7));
    QTest::newRow("first") << morning << 1 << "20261208_101500_123.txt";
    QTest::newRow("second in the same millisecond") << morning << 2 << "20261208_101500_123_2.txt";
    QTest::newRow("third") << morning << 3 << "20261208_101500_123_3.txt";
    QTest::newRow("leading zeros, 24-hour clock") << night << 1 << "20270102_230405_007.txt";
}

void TestTrafficLog::autoFileName()
{
    QFETCH(QDateTime, time);
    QFETCH(int, attempt);
    QFETCH(QString, expected);
    QCOMPARE(autoLogFileName(time, attempt), expected);
}

// Two files started in the same millisecond: the first is never truncated.
void TestTrafficLog::newNameWhenTaken()
{
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    const QDateTime time(QDate(2026, 12, 8), QTime(10, 15, 0, 123));
    writeFileBytes("20261208_101500_123.txt", "first");
    writeFileBytes("20261208_101500_123_2.txt", "second");

    QString name;
    const bool created = createAutoLogFile(time, "third\n", &name);
    QDir::setCurrent(previous);
    QVERIFY(created);
    QCOMPARE(name, QStringLiteral("20261208_101500_123_3.txt"));
    QCOMPARE(fileBytes(dir.filePath("20261208_101500_123.txt")), QByteArray("first"));
    QCOMPARE(fileBytes(dir.filePath("20261208_101500_123_2.txt")), QByteArray("second"));
    QCOMPARE(fileBytes(dir.filePath(name)), QByteArray("third\n"));
}

QTEST_GUILESS_MAIN(TestTrafficLog)
#include "test_trafficlog.moc"
