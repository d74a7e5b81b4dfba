// The auto send sequence against real time: the converter end records when
// each frame arrives; order and spacing are checked with generous margins.

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QStatusBar>
#include <QTableWidget>
#include <QtTest>

#include "support/receivefixture.h"
#include "txtables/celltext.h"

namespace {

struct Arrival
{
    int row;           // the default identifier of row r is r
    qint64 ms;
};

struct AutoFixture : ReceiveFixture
{
    QTableWidget *table = widget<QTableWidget>("tableWidget_3");
    QStringList messages;
    QElapsedTimer clock;

    AutoFixture()
    {
        QObject::connect(widget<QStatusBar>("statusbar"), &QStatusBar::messageChanged,
                         [this](const QString &text) { messages << text; });
    }
    // Three rows; enabled: '1' checked, '0' unchecked, 'p' partly checked.
    void setRows(const QStringList &intervals, const QString &enabled)
    {
        table->setRowCount(3);
        for (int row = 0; row < 3; ++row) {
            table->item(row, 2)->setText(intervals.at(row));
            const QChar e = enabled.at(row);
            table->item(row, 3)->setCheckState(e == '1' ? Qt::Checked : e == 'p' ? Qt::PartiallyChecked : Qt::Unchecked);
        }
    }
    // The traffic view's first row is slow to show (style, first paint); one
    // frame sent by hand first keeps that out of the measured spacing.
    void start()
    {
        clickCell("tableWidget_2", 0, 2);
        converter.read(20);
        spinEventLoop(100);
        clock.start();
        click("btnSendSeq");
    }
    // The fixed frames that arrive, until `count` have or `timeoutMs` passes.
    QList<Arrival> collect(int count, int timeoutMs = 3000)
    {
        QList<Arrival> got;
        QElapsedTimer waited;
        waited.start();
        while (got.size() < count && waited.elapsed() < timeoutMs) {
            const QByteArray frame = converter.read(20, int(timeoutMs - waited.elapsed()));
            if (frame.size() == 20)
                got.append({qFromLittleEndian<qint32>(frame.constData() + 5), clock.elapsed()});
        }
        return got;
    }
};

// Spacing within -40 ms and +150 ms of the interval (a frame may leave late
// behind a repaint, shortening the next gap): late ticks on a loaded machine
// pass, a wrong interval or a missing tick does not.
bool spacedAsExpected(const QList<Arrival> &got, const QList<int> &gaps)
{
    for (int k = 0; k < gaps.size(); ++k) {
        const qint64 gap = got.at(k + 1).ms - got.at(k).ms;
        if (gap < gaps.at(k) - 40 || gap > gaps.at(k) + 150) {
            qWarning("gap %d: %lld ms, expected %d", k, qlonglong(gap), gaps.at(k));
            return false;
        }
    }
    return true;
}

QList<int> rowsOf(const QList<Arrival> &got)
{
    QList<int> rows;
    for (const Arrival &a : got)
        rows << a.row;
    return rows;
}

} // namespace

class TestAutoSend : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }
    void sequence_data();
    void sequence();
    void restartDuringRun();
    void rowsRemovedUnderRunningIndex_data();
    void rowsRemovedUnderRunningIndex();
    void portClosedDuringRun();
};

void TestAutoSend::sequence_data()
{
    QTest::addColumn<QStringList>("intervals");
    QTest::addColumn<QString>("enabled");
    QTest::addColumn<QString>("identifier1");
    QTest::addColumn<bool>("cycle");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QList<int>>("gaps");
    QTest::addColumn<QString>("message");      // one of the status messages, or empty for none
    const QString nothingMore = QStringLiteral("请检查是否有需要发送的数据");
    const QString badInterval = QStringLiteral("发送间隔时间值时不对");
    const QStringList i123{" 100 ", "200", "300"};
    QTest::newRow("once") << i123 << "111" << "1" << false << QList<int>{0, 1, 2} << QList<int>{100, 200} << nothingMore;
    QTest::newRow("cycling") << i123 << "111" << "1" << true << QList<int>{0, 1, 2, 0, 1}
                             << QList<int>{100, 200, 300, 100} << "";
    QTest::newRow("one row cycling") << QStringList{"100", "100", "100"} << "010" << "1" << true << QList<int>{1, 1, 1}
                                     << QList<int>{100, 100} << "";
    QTest::newRow("disabled row skipped, partly checked sent")
        << QStringList{"100", "50", "200"} << "10p" << "1" << false << QList<int>{0, 2} << QList<int>{100} << nothingMore;
    for (const char *bad : {"0", "-5", "abc", ""}) {
        QTest::addRow("interval '%s'", bad) << QStringList{"100", bad, "200"} << "111" << "1" << false
                                            << QList<int>{0, 2} << QList<int>{200} << badInterval;
    }
    QTest::newRow("identifier refused") << QStringList{"100", "100", "200"} << "111" << "zz" << false
                                        << QList<int>{0, 2} << QList<int>{200} << CellTextFault::BadIdentifier;
    QTest::newRow("nothing enabled") << i123 << "000" << "1" << true << QList<int>{} << QList<int>{}
                                     << QStringLiteral("请检查是否有要发送的数据");
}

void TestAutoSend::sequence()
{
    QFETCH(QStringList, intervals);
    QFETCH(QString, enabled);
    QFETCH(QString, identifier1);
    QFETCH(bool, cycle);
    QFETCH(QList<int>, rows);
    QFETCH(QList<int>, gaps);
    QFETCH(QString, message);
    AutoFixture f;
    f.setRows(intervals, enabled);
    f.table->item(1, 0)->setText(identifier1);
    if (cycle)
        f.click("checkBoxAutoCycle");
    f.start();
    const QList<Arrival> got = f.collect(int(rows.size()));
    QCOMPARE(rowsOf(got), rows);
    QVERIFY(spacedAsExpected(got, gaps));
    if (!cycle)
        QCOMPARE(f.converter.readFor(700), QByteArray());
    if (!message.isEmpty())
        QVERIFY2(f.messages.contains(message), qPrintable(f.messages.join(" / ")));
    f.click("btnAutoStop");
    f.converter.readFor(100);
    QCOMPARE(f.converter.readFor(500), QByteArray());
}

void TestAutoSend::restartDuringRun()
{
    AutoFixture f;
    f.setRows({"300", "300", "300"}, "111");
    f.start();
    QCOMPARE(rowsOf(f.collect(1)), QList<int>{0});
    spinEventLoop(150);
    f.click("btnSendSeq");
    const QList<Arrival> got = f.collect(2);
    QCOMPARE(rowsOf(got), QList<int>({0, 1}));
    QVERIFY(got.at(0).ms < 290);
    QVERIFY(spacedAsExpected(got, {300}));
    f.click("btnAutoStop");
}

void TestAutoSend::rowsRemovedUnderRunningIndex_data()
{
    QTest::addColumn<bool>("cycle");
    QTest::newRow("without cycling") << false;
    QTest::newRow("cycling") << true;
}

void TestAutoSend::rowsRemovedUnderRunningIndex()
{
    QFETCH(bool, cycle);
    AutoFixture f;
    f.setRows({"100", "100", "300"}, "111");
    if (cycle)
        f.click("checkBoxAutoCycle");
    f.start();
    QCOMPARE(rowsOf(f.collect(3)), QList<int>({0, 1, 2}));
    for (int k = 0; k < 2; ++k) {                  // the running index 2 is now past the end
        f.table->setCurrentCell(1, 0);
        f.click("btnAutoRemove");
    }
    QCOMPARE(f.table->rowCount(), 1);
    const QList<Arrival> got = f.collect(1, 800);
    QCOMPARE(rowsOf(got), cycle ? QList<int>{0} : QList<int>{});
    if (!cycle)
        QVERIFY(f.messages.contains(QStringLiteral("请检查是否有需要发送的数据")));
    f.click("btnAutoStop");
}

void TestAutoSend::portClosedDuringRun()
{
    AutoFixture f;                                 // the ten default rows, 100 ms each
    for (int row = 0; row < f.table->rowCount(); ++row)
        f.table->item(row, 2)->setText("100");
    f.start();
    QCOMPARE(rowsOf(f.collect(1)), QList<int>{0});
    f.click("btnOpenClose");
    spinEventLoop(450);                            // each tick passes one row over
    QVERIFY(f.messages.contains(QStringLiteral("COM端口已关闭，请先打开COM端口")));
    f.openPort(f.converter.portName());
    const QList<Arrival> got = f.collect(2);
    QCOMPARE(got.size(), 2);
    QVERIFY2(got.at(0).row >= 3, qPrintable(QString::number(got.at(0).row)));
    QCOMPARE(got.at(1).row, got.at(0).row + 1);
    f.click("btnAutoStop");
}

QTEST_MAIN(TestAutoSend)
#include "test_autosend.moc"
