// Saving the traffic view: on demand through the save dialog, and the
// automatic log driven by real frames on a pseudo-terminal and real ticks.

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include "emulatorprocess.h"
#include "link/receivestats.h"
#include "support/logfiles.h"
#include "support/modaldialogs.h"
#include "support/receivefixture.h"

using Ids = QList<quint32>;
using FileIds = QList<Ids>;

namespace {

// Frames whose identifiers are first, first + 1, …
QByteArray framesFrom(quint32 first, int count)
{
    QByteArray bytes;
    for (int k = 0; k < count; ++k)
        bytes += fixedBytes(first + quint32(k), FrameFormat::Extended, QByteArray(1, char(k)));
    return bytes;
}

Ids idRange(quint32 first, int count)
{
    Ids ids;
    for (int k = 0; k < count; ++k)
        ids.append(first + quint32(k));
    return ids;
}

// The identifiers of each automatic file, oldest file first; every file must
// start with the header line.
FileIds autoFiles(const WindowHarness &f)
{
    FileIds files;
    for (const QString &file : autoLogFiles(f.workDir())) {
        const QStringList lines = logLines(file);
        if (lines.isEmpty() || !lines.first().startsWith(QStringLiteral("序号")))
            qWarning("log without header: %s", qPrintable(file));
        files.append(loggedIdentifiers(file));
    }
    return files;
}

// Waits for the next tick of the automatic log; its slot has run when this returns.
bool waitForTick(WindowHarness &f)
{
    QTimer *timer = runningAutoSaveTimer(f.window());
    if (!timer)
        return false;
    QSignalSpy tick(timer, &QTimer::timeout);
    return tick.wait(5000);
}

// Forgets the port's message, so that a later message is this test's.
void clearStatus(WindowHarness &f)
{
    f.widget<QStatusBar>("statusbar")->clearMessage();
}

QString relativeName(const QString &path)
{
    return QFileInfo(path).fileName();
}

} // namespace

class TestLogSave : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }
    void saveWalk_data();
    void saveWalk();
    void saveLayout();
    void saveDialogOutcomes_data();
    void saveDialogOutcomes();
    void switchOn_data();
    void switchOn();
    void followsTheView();
    void resets_data();
    void resets();
    void switchOffOnAndClose();
    void everyRowOnceAcrossLaps_data();
    void everyRowOnceAcrossLaps();
    void rowLimitOneAtLineRate();
    void failedWritesReported();
    void fileNotCreatedReported();
};

void TestLogSave::saveWalk_data()
{
    QTest::addColumn<QString>("limit");
    QTest::addColumn<bool>("statistics");
    QTest::addColumn<Ids>("expected");
    QTest::newRow("no frame: header only") << "1000" << false << Ids();
    QTest::newRow("after a wrap: row 0 first") << "3" << false << Ids {4, 5, 3};
    QTest::newRow("statistics after clear: stops at empty row 0") << "1000" << true << Ids();
}

void TestLogSave::saveWalk()
{
    QFETCH(QString, limit);
    QFETCH(bool, statistics);
    QFETCH(Ids, expected);
    ReceiveFixture f;
    clearStatus(f);
    f.setRowLimit(limit);
    if (statistics) {
        f.click("checkBoxOnlyRev");
        f.click("checkBoxOverlayDisplay");
        f.deliver(framesFrom(1, 2));
        f.click("btnViewClear");
        f.deliver(framesFrom(2, 1));
        QCOMPARE(f.cell(1, 5), QStringLiteral("0x00000002"));
    } else if (limit == "3") {
        f.deliver(framesFrom(1, 5));
    }
    const QString path = QDir(f.workDir()).filePath("saved.txt");
    auto dialog = answerNextFileDialog(path);
    f.click("btnViewSave");
    QVERIFY(dialog->seen);
    QCOMPARE(dialog->caption, QStringLiteral("保存文件"));
    QCOMPARE(QDir(dialog->directory).canonicalPath(), QDir(f.workDir()).canonicalPath());
    QCOMPARE(dialog->nameFilters, QStringList {"Text (*.txt)"});

    const QStringList lines = logLines(path);
    QVERIFY(!lines.isEmpty());
    QCOMPARE(lines.first().size(), 160);
    QCOMPARE(loggedIdentifiers(path), expected);
    QVERIFY(autoLogFiles(f.workDir()).isEmpty());
    QCOMPARE(f.statusText(), QString());
}

// Every kind of field: data of 8, 0 and 1 bytes, a missing format cell, and
// texts of 19 and 20 characters typed into the view.
void TestLogSave::saveLayout()
{
    ReceiveFixture f;
    QByteArray odd = fixedBytes(4, FrameFormat::Standard, QByteArray::fromHex("01"));
    odd[3] = 3;                                             // format byte neither 1 nor 2
    odd[19] = char(commandSum(odd.constData(), 2, 19));
    f.deliver(fixedBytes(1, FrameFormat::Standard, QByteArray::fromHex("0011223344556677"))
              + fixedBytes(2) + fixedBytes(3, FrameFormat::Standard, QByteArray::fromHex("01")) + odd);
    QVERIFY(!f.trafficView()->item(3, 4));
    f.trafficView()->item(0, 1)->setText(QStringLiteral("0123456789abcdefghi"));
    f.trafficView()->item(1, 1)->setText(QStringLiteral("0123456789abcdefghij"));

    const QString path = QDir(f.workDir()).filePath("layout.txt");
    answerNextFileDialog(path);
    f.click("btnViewSave");
    QFile raw(path);
    QVERIFY(raw.open(QIODevice::ReadOnly));
    QVERIFY(!raw.peek(3).startsWith("\xEF\xBB\xBF"));
    const QStringList lines = logLines(path);
    QCOMPARE(lines.size(), 5);
    const QString blanks20(20, QLatin1Char(' '));
    QCOMPARE(lines.at(1).mid(20, 20), QStringLiteral("0123456789abcdefghi "));
    QCOMPARE(lines.at(1).mid(140), QStringLiteral("00 11 22 33 44 55 66 77"));
    QCOMPARE(lines.at(2).mid(20, 21), QStringLiteral("0123456789abcdefghij") + f.cell(1, 2).left(1));
    QCOMPARE(lines.at(2).mid(140), blanks20);
    QCOMPARE(lines.at(3).mid(140), QStringLiteral("01") + QString(19, QLatin1Char(' ')));
    QCOMPARE(lines.at(4).mid(80, 20), blanks20);
    QCOMPARE(lines.at(4).mid(100, 20), QStringLiteral("0x00000004") + QString(10, QLatin1Char(' ')));
}

void TestLogSave::saveDialogOutcomes_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("status");
    QTest::newRow("cancelled") << "" << "";
    const QString missing = QDir::temp().filePath("no-such-folder-here/x.txt");
    QTest::newRow("not writable") << missing << QStringLiteral("文件保存失败：%1").arg(missing);
}

void TestLogSave::saveDialogOutcomes()
{
    QFETCH(QString, answer);
    QFETCH(QString, status);
    ReceiveFixture f;
    clearStatus(f);
    f.deliver(framesFrom(1, 2));
    const QStringList before = QDir(f.workDir()).entryList(QDir::Files);
    auto dialog = answerNextFileDialog(answer);
    f.click("btnViewSave");
    QVERIFY(dialog->seen);
    QCOMPARE(f.statusText(), status);
    QCOMPARE(QDir(f.workDir()).entryList(QDir::Files), before);
}

void TestLogSave::switchOn_data()
{
    QTest::addColumn<QString>("limit");
    QTest::addColumn<int>("frames");
    QTest::addColumn<Ids>("expected");
    QTest::newRow("no rows: header only") << "1000" << 0 << Ids();
    QTest::newRow("rows 0 to the cursor") << "1000" << 3 << Ids {0, 1, 2};
    QTest::newRow("after a wrap: older rows left out") << "5" << 7 << Ids {5, 6};
}

void TestLogSave::switchOn()
{
    QFETCH(QString, limit);
    QFETCH(int, frames);
    QFETCH(Ids, expected);
    ReceiveFixture f;
    clearStatus(f);
    f.setRowLimit(limit);
    if (frames > 0)
        f.deliver(framesFrom(0, frames));
    f.click("checkBoxAutoSave");
    QVERIFY(runningAutoSaveTimer(f.window()));
    QCOMPARE(autoFiles(f), FileIds {expected});
    QCOMPARE(f.statusText(), QString());
}

// Ticks append; a wrap between ticks finishes the file and starts the next.
void TestLogSave::followsTheView()
{
    ReceiveFixture f;
    clearStatus(f);
    f.setRowLimit(QStringLiteral("650"));
    f.click("checkBoxAutoSave");
    f.deliver(framesFrom(0, 600));
    QVERIFY(waitForTick(f));
    QCOMPARE(autoFiles(f), FileIds {idRange(0, 600)});

    f.deliver(framesFrom(600, 100));                        // rows 600..649, then 0..49
    QVERIFY(waitForTick(f));
    QCOMPARE(autoFiles(f), (FileIds {idRange(0, 650), idRange(650, 50)}));

    QCOMPARE(f.statusText(), QString());
}

// Rows filled since the last tick go to the current file before the view is
// reset; the next tick starts a file with the header only, and statistics
// mode adds nothing.
void TestLogSave::resets_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("limit");
    QTest::newRow("清除") << QStringList {"btnViewClear"} << "";
    QTest::newRow("new row limit") << QStringList() << "500";
    QTest::newRow("statistics mode") << QStringList {"checkBoxOnlyRev", "checkBoxOverlayDisplay"} << "";
}

void TestLogSave::resets()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, limit);
    ReceiveFixture f;
    clearStatus(f);
    f.click("checkBoxAutoSave");
    f.deliver(framesFrom(0, 5));
    QVERIFY(waitForTick(f));
    f.deliver(framesFrom(5, 3));
    for (const QString &name : clicks)
        f.click(name.toLatin1().constData());
    if (!limit.isEmpty())
        f.setRowLimit(limit);
    QCOMPARE(autoFiles(f), FileIds {idRange(0, 8)});
    QVERIFY(waitForTick(f));
    QCOMPARE(autoFiles(f), (FileIds {idRange(0, 8), Ids()}));
    f.deliver(framesFrom(8, 2));
    QVERIFY(waitForTick(f));
    const Ids after = clicks.size() == 2 ? Ids() : idRange(8, 2);
    QCOMPARE(autoFiles(f), (FileIds {idRange(0, 8), after}));
    QCOMPARE(f.statusText(), QString());
}

void TestLogSave::switchOffOnAndClose()
{
    ReceiveFixture f;
    f.click("checkBoxAutoSave");
    f.deliver(framesFrom(0, 3));
    f.click("checkBoxAutoSave");                            // off before any tick
    QVERIFY(!runningAutoSaveTimer(f.window()));
    QCOMPARE(autoFiles(f), FileIds {idRange(0, 3)});

    f.deliver(framesFrom(3, 2));
    f.click("checkBoxAutoSave");
    f.deliver(framesFrom(5, 2));
    f.closeWindow();
    QCOMPARE(autoFiles(f), (FileIds {idRange(0, 3), idRange(0, 7)}));
}

// Several laps between two ticks: every frame reaches the log once, in
// order, and one tick starts at most one file.
void TestLogSave::everyRowOnceAcrossLaps_data()
{
    QTest::addColumn<QString>("limit");
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("files");
    QTest::newRow("7 rows, 100 frames") << "7" << 100 << 2;
    QTest::newRow("1 row, 40 frames: a wrap before each tick") << "1" << 40 << 3;
    QTest::newRow("10 rows, a lap ending on the saved row") << "10" << 20 << 2;
}

void TestLogSave::everyRowOnceAcrossLaps()
{
    QFETCH(QString, limit);
    QFETCH(int, frames);
    QFETCH(int, files);
    ReceiveFixture f;
    f.setRowLimit(limit);
    f.click("checkBoxAutoSave");
    f.deliver(framesFrom(0, frames));
    QVERIFY(waitForTick(f));
    f.deliver(framesFrom(quint32(frames), 3));
    QVERIFY(waitForTick(f));
    f.click("checkBoxAutoSave");

    Ids logged;
    const FileIds written = autoFiles(f);
    for (const Ids &file : written)
        logged += file;
    QCOMPARE(written.size(), files);
    QCOMPARE(logged, idRange(0, frames + 3));
}

// The converter at its line rate into a ring of one row: a wrap with every
// frame, yet every frame is logged once and files start only at ticks.
void TestLogSave::rowLimitOneAtLineRate()
{
    EmulatorProcess emulator;
    QVERIFY(emulator.isRunning());
    WindowHarness f;
    f.openPort(emulator.portName());
    f.setRowLimit(QStringLiteral("1"));
    f.click("checkBoxAutoSave");
    QSignalSpy ticks(runningAutoSaveTimer(f.window()), &QTimer::timeout);
    const quint64 before = receiveStats().canFrames;
    const int count = 15000;
    emulator.command(QStringLiteral("gen %1 10000 fixed data=seq").arg(count));
    QVERIFY(spinUntil([&] { return receiveStats().canFrames - before >= quint64(count); }, 30000));
    f.click("checkBoxAutoSave");

    const QStringList files = autoLogFiles(f.workDir());
    QVERIFY(files.size() <= ticks.size() + 1);
    QList<quint32> logged;
    for (const QString &file : files) {
        const QStringList lines = logLines(file);
        for (qsizetype i = 1; i < lines.size(); ++i)
            logged.append(EmulatorProcess::sequenceNumber(logFieldText(lines.at(i), 7)));
    }
    QCOMPARE(logged.size(), count);
    for (int k = 0; k < count; ++k)
        QCOMPARE(logged.at(k), quint32(k));
}

// A file that cannot be written is reported with its name; rows missed on a
// tick come on the next one, rows missed at a wrap are given up and the next
// file is tried as usual.
void TestLogSave::failedWritesReported()
{
    ReceiveFixture f;
    f.setRowLimit(QStringLiteral("3"));
    f.click("checkBoxAutoSave");
    const QString first = autoLogFiles(f.workDir()).value(0);
    const QString failed = QStringLiteral("自动保存失败：%1").arg(relativeName(first));
    QVERIFY(QFile::rename(first, first + ".kept"));
    QVERIFY(QFile::link("/dev/full", first));

    f.deliver(framesFrom(0, 2));
    QVERIFY(waitForTick(f));
    QCOMPARE(f.statusText(), failed);
    QVERIFY(QFile::remove(first));
    QVERIFY(QFile::rename(first + ".kept", first));
    QVERIFY(waitForTick(f));
    QCOMPARE(autoFiles(f), FileIds {idRange(0, 2)});

    QVERIFY(QFile::rename(first, first + ".kept"));
    QVERIFY(QFile::link("/dev/full", first));
    f.deliver(framesFrom(2, 2));                            // row 2 given up at the wrap
    QVERIFY(QFile::remove(first));
    QVERIFY(QFile::rename(first + ".kept", first));
    QVERIFY(waitForTick(f));
    QCOMPARE(autoFiles(f), (FileIds {idRange(0, 2), Ids {3}}));
}

// The working folder goes away: a new file that cannot be made is reported,
// its rows wait for the next tick; switching on fails the same way.
void TestLogSave::fileNotCreatedReported()
{
    const QRegularExpression failed(QStringLiteral("^自动保存失败：\\d{8}_\\d{6}_\\d{3}\\.txt$"));
    ReceiveFixture f;
    f.setRowLimit(QStringLiteral("3"));
    f.click("checkBoxAutoSave");
    QVERIFY(waitForTick(f));
    f.deliver(framesFrom(0, 4));                            // wraps: frame 3 waits for a new file
    QVERIFY(QDir(f.workDir()).removeRecursively());
    QVERIFY(waitForTick(f));
    QVERIFY2(failed.match(f.statusText()).hasMatch(), qPrintable(f.statusText()));
    QVERIFY(QDir().mkpath(f.workDir()) && QDir::setCurrent(f.workDir()));
    QVERIFY(waitForTick(f));
    QCOMPARE(autoFiles(f), FileIds {Ids {3}});

    f.click("checkBoxAutoSave");
    QVERIFY(QDir(f.workDir()).removeRecursively());
    clearStatus(f);
    f.click("checkBoxAutoSave");
    QVERIFY(!runningAutoSaveTimer(f.window()));
    QVERIFY2(failed.match(f.statusText()).hasMatch(), qPrintable(f.statusText()));
}

QTEST_MAIN(TestLogSave)
#include "test_logsave.moc"
