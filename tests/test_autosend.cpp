// The auto send sequence against real time: the converter end records when
// each frame arrives; order and spacing are checked with generous margins.

#include <QElapsedTimer>
#include <QStatusBar>
#include <QTableWidget>
#include <QtTest>

#include "support/receivefixture.h"
#include "txtables/celltext.h"

namespace {
struct AutoFixture : ReceiveFixture
{
    QTableWidget *table = widget<QTableWidget>("tableWidget_3");
    QStringList messages;
    QElapsedTimer clock;
    QList<qint64> times;

    // Three rows; enabled: '1' checked, '0' unchecked, 'p' partly checked.
    AutoFixture(const QStringList &intervals, const QString &enabled = "111", bool cycle = false)
    {
        QObject::connect(widget<QStatusBar>("statusbar"), &QStatusBar::messageChanged,
                         [this](const QString &text) { messages << text; });
        table->setRowCount(int(intervals.size()));
        for (int row = 0; row < table->rowCount(); ++row) {
            table->item(row, 2)->setText(intervals.at(row));
            const QChar e = enabled.at(row);
            table->item(row, 3)->setCheckState(e == '1' ? Qt::Checked : e == 'p' ? Qt::PartiallyChecked : Qt::Unchecked);
        }
        if (cycle)
            click("checkBoxAutoCycle");
        // The traffic view's first row is slow to show; a frame sent by hand
        // first keeps that out of the measured spacing.
        clickCell("tableWidget_2", 0, 2);
        converter.read(20);
        spinEventLoop(100);
        clock.start();
        click("btnSendSeq");
    }
    // The rows (default identifier r in row r) of the frames that arrive, until
    // `count` have or `timeoutMs` passes; `times` gets their arrival times.
    QList<int> rows(int count, int timeoutMs = 3000)
    {
        QList<int> got;
        times.clear();
        QElapsedTimer waited;
        waited.start();
        while (got.size() < count && waited.elapsed() < timeoutMs) {
            const QByteArray frame = converter.read(20, int(timeoutMs - waited.elapsed()));
            if (frame.size() != 20)
                continue;
            got << qFromLittleEndian<qint32>(frame.constData() + 5);
            times << clock.elapsed();
        }
        return got;
    }
    // Spacing within -40 ms (a frame may leave late behind a repaint) and
    // +150 ms (a loaded machine) of each gap: a wrong interval or a missing
    // tick does not pass.
    bool spaced(const QList<int> &gaps) const
    {
        for (int k = 0; k < gaps.size(); ++k) {
            const qint64 gap = times.at(k + 1) - times.at(k);
            if (gap < gaps.at(k) - 40 || gap > gaps.at(k) + 150) {
                qWarning("gap %d: %lld ms, expected %d", k, qlonglong(gap), gaps.at(k));
                return false;
            }
        }
        return true;
    }
};
} // namespace

class TestAutoSend : public QObject
{
    Q_OBJECT

private slots:
    void sequence_data();
    void sequence();
    void duringRun();
};

void TestAutoSend::sequence_data()
{
    QTest::addColumn<QStringList>("intervals");
    QTest::addColumn<QString>("enabled");
    QTest::addColumn<QString>("identifier1");
    QTest::addColumn<bool>("cycle");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QList<int>>("gaps");
    QTest::addColumn<QString>("message");      // one of the status messages
    const QString nothingMore = QStringLiteral("请检查是否有需要发送的数据");
    const QStringList i123{" 100 ", "200", "300"};
    QTest::newRow("once") << i123 << "111" << "1" << false << QList<int>{0, 1, 2} << QList<int>{100, 200} << nothingMore;
    QTest::newRow("cycling") << i123 << "111" << "1" << true << QList<int>{0, 1, 2, 0, 1}
                             << QList<int>{100, 200, 300, 100} << "";
    QTest::newRow("one row cycling") << QStringList{"100", "100", "100"} << "010" << "1" << true
                                     << QList<int>{1, 1, 1} << QList<int>{100, 100} << "";
    QTest::newRow("disabled row skipped, partly checked sent")
        << QStringList{"100", "50", "200"} << "10p" << "1" << false << QList<int>{0, 2} << QList<int>{100} << nothingMore;
    for (const char *bad : {"0", "-5", "abc", ""}) {
        QTest::addRow("interval '%s'", bad) << QStringList{"100", bad, "200"} << "111" << "1" << false
                                            << QList<int>{0, 2} << QList<int>{200} << "发送间隔时间值时不对";
    }
    QTest::newRow("identifier refused") << QStringList{"100", "100", "200"} << "111" << "zz" << false
                                        << QList<int>{0, 2} << QList<int>{200} << CellTextFault::BadIdentifier;
    QTest::newRow("nothing enabled") << i123 << "000" << "1" << true << QList<int>{} << QList<int>{}
                                     << "请检查是否有要发送的数据";
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
    AutoFixture f(intervals, enabled, cycle);
    f.table->item(1, 0)->setText(identifier1);  // read afresh at each tick
    QCOMPARE(f.rows(int(rows.size())), rows);
    QVERIFY(f.spaced(gaps));
    QVERIFY(cycle || f.converter.readFor(700).isEmpty());
    QVERIFY2(message.isEmpty() || f.messages.contains(message), qPrintable(f.messages.join(" / ")));
    f.click("btnAutoStop");
    f.converter.readFor(100);
    QCOMPARE(f.converter.readFor(500), QByteArray());
}

void TestAutoSend::duringRun()
{
    {   // start again: from the first enabled row
        AutoFixture f({"300", "300", "300"});
        QCOMPARE(f.rows(1), QList<int>{0});
        spinEventLoop(150);
        f.click("btnSendSeq");
        QCOMPARE(f.rows(2), QList<int>({0, 1}));
        QVERIFY(f.times.at(0) < 290 && f.spaced({300}));
    }
    for (bool cycle : {false, true}) {          // the running index past the last row
        AutoFixture f({"100", "100", "300"}, "111", cycle);
        QCOMPARE(f.rows(3), QList<int>({0, 1, 2}));
        for (int k = 0; k < 2; ++k) {
            f.table->setCurrentCell(1, 0);
            f.click("btnAutoRemove");
        }
        QCOMPARE(f.rows(1, 800), cycle ? QList<int>{0} : QList<int>{});
        QVERIFY(cycle || f.messages.contains(QStringLiteral("请检查是否有需要发送的数据")));
    }
    {   // the port closed: each tick passes one row over, the run goes on
        AutoFixture f(QStringList(10, "100"), "1111111111");
        QCOMPARE(f.rows(1), QList<int>{0});
        f.click("btnOpenClose");
        spinEventLoop(450);
        QVERIFY(f.messages.contains(QStringLiteral("COM端口已关闭，请先打开COM端口")));
        f.openPort(f.converter.portName());
        const QList<int> got = f.rows(2);
        QVERIFY2(got.size() == 2 && got.at(0) >= 3 && got.at(1) == got.at(0) + 1, qPrintable(QString::number(got.value(0))));
    }
}

QTEST_MAIN(TestAutoSend)
#include "test_autosend.moc"
