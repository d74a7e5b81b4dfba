// The demo: the real window on converter-emulator --bus, and scripts/demo
// started the way a user starts it.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QRadioButton>
#include <QTableWidget>
#include <QLineEdit>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <unistd.h>

#include "emulatorprocess.h"
#include "link/receivestats.h"
#include "support/frames.h"
#include "support/ptypair.h"
#include "support/windowharness.h"

namespace {

// The window opened on the serial end of an emulator on the simulated bus.
struct OnTheBus
{
    EmulatorProcess emulator { { QStringLiteral("--bus") } };
    WindowHarness window;

    explicit OnTheBus(int openAfterMs = 0)
    {
        if (!emulator.isRunning())
            qFatal("the converter emulator did not start");
        spinEventLoop(openAfterMs);
        window.openPort(emulator.portName());
    }

    // "设置并启动" with this framing and mode.
    void setStart(bool variable, int mode)
    {
        window.widget<QComboBox>("comboBoxMode")->setCurrentIndex(mode);
        window.widget<QRadioButton>(variable ? "radioBtnVariable" : "radioBtnFixed")->setChecked(true);
        window.click("btnSetStart");
    }

    // One row per identifier from here on, starting from an empty list.
    void restartStatistics()
    {
        if (!window.widget<QCheckBox>("checkBoxOnlyRev")->isChecked())
            window.click("checkBoxOnlyRev");
        if (window.widget<QCheckBox>("checkBoxOverlayDisplay")->isChecked())
            window.click("checkBoxOverlayDisplay");
        window.click("checkBoxOverlayDisplay");
    }
};

// Child processes of `parent` with the programs they run.
QMap<qint64, QString> childProcesses(qint64 parent)
{
    QMap<qint64, QString> children;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        // pid (name) state ppid ...: the name may hold blanks and brackets.
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields.at(1).toLongLong() == parent)
            children.insert(entry.toLongLong(),
                            QFileInfo(QStringLiteral("/proc/%1/exe").arg(entry)).canonicalFilePath());
    }
    return children;
}

qint64 childRunning(qint64 parent, const QString &program)
{
    const QString wanted = QFileInfo(program).canonicalFilePath();
    const QMap<qint64, QString> children = childProcesses(parent);
    for (auto it = children.begin(); it != children.end(); ++it) {
        if (it.value() == wanted)
            return it.key();
    }
    return 0;
}

// scripts/demo taking the programs of this build; ended by SIGTERM (which
// the script passes on to what it started) if a check fails on the way.
struct DemoScript
{
    QTemporaryDir state;
    QProcess process;

    DemoScript()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TAVICON_DEMO_BUILD"), QStringLiteral(TAVICON_BUILD_DIR));
        env.insert(QStringLiteral("XDG_STATE_HOME"), state.path());
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral("bash"), { QStringLiteral(TAVICON_SOURCE_DIR "/scripts/demo") });
    }
    ~DemoScript()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(10000))
            process.kill();
        process.waitForFinished(2000);
    }

    QString outputLineWith(const QString &text, int timeoutMs)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            while (process.canReadLine()) {
                const QString line = QString::fromUtf8(process.readLine());
                if (line.contains(text))
                    return line.trimmed();
            }
            if (!process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
                break;
        }
        return QString();
    }
};

} // namespace

class TestDemo : public QObject
{
    Q_OBJECT

private slots:
    void busTrafficIsBelievable();
    void portOpenedLateGetsNoOldTraffic();
    void setStartGovernsTheBus_data();
    void setStartGovernsTheBus();
    void receiveIdFilterIsHonoured_data();
    void receiveIdFilterIsHonoured();
    void demoStartsAndStopsCleanly();
};

void TestDemo::busTrafficIsBelievable()
{
    OnTheBus c;
    c.window.widget<QLineEdit>("lineEditTotal")->setText(QStringLiteral("3000"));
    const quint64 before = receiveStats().canFrames;
    // About three seconds of traffic, all of it in the view.
    QVERIFY(spinUntil([&] { return receiveStats().canFrames - before >= 1300; }, 20000));
    QMap<QString, QStringList> dataById;
    QSet<QString> extended, remote;
    for (int row = 0; row < 1300; ++row) {
        const QString id = c.window.cell(row, 5);
        QCOMPARE(c.window.cell(row, 1), QStringLiteral("接受"));
        dataById[id].append(c.window.cell(row, 7));
        if (c.window.cell(row, 4) == QStringLiteral("扩展帧"))
            extended.insert(id);
        if (c.window.cell(row, 3) == QStringLiteral("远程帧"))
            remote.insert(id);
        // Identifiers the formats can carry: 11 bits standard, 29 bits extended.
        QVERIFY2(id.mid(2).toUInt(nullptr, 16) <= (extended.contains(id) ? 0x1FFFFFFFu : 0x7FFu), qPrintable(id));
    }
    QVERIFY2(dataById.size() >= 18, qPrintable(QStringList(dataById.keys()).join(' ')));
    QVERIFY(extended.size() >= 5 && dataById.size() - extended.size() >= 5);
    QVERIFY(!remote.isEmpty());
    // Periods from 10 ms to 1 s: the busiest identifier far outnumbers the quietest.
    qsizetype most = 0, fewest = 1300, changing = 0;
    for (const QStringList &data : std::as_const(dataById)) {
        most = qMax(most, data.size());
        fewest = qMin(fewest, data.size());
        changing += QSet<QString>(data.begin(), data.end()).size() > 1;
    }
    QVERIFY2(most >= 20 * fewest, qPrintable(QStringLiteral("%1 vs %2").arg(most).arg(fewest)));
    // Counters and varying values: most identifiers do not repeat one frame.
    QVERIFY2(changing * 2 >= dataById.size(), qPrintable(QString::number(changing)));
}

void TestDemo::portOpenedLateGetsNoOldTraffic()
{
    const quint64 before = receiveStats().canFrames;
    OnTheBus c(3000);                           // some 1300 frames on the bus meanwhile
    spinEventLoop(300);
    const quint64 arrived = receiveStats().canFrames - before;
    QVERIFY2(arrived > 0 && arrived < 600, qPrintable(QString::number(arrived)));
}

void TestDemo::setStartGovernsTheBus_data()
{
    QTest::addColumn<bool>("variable");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("busHeard");
    QTest::addColumn<QString>("extendedText");   // statistics mode marks variable framing
    QTest::newRow("fixed, normal") << false << 0 << true << "扩展帧";
    QTest::newRow("variable, normal") << true << 0 << true << "/扩展帧";
    QTest::newRow("variable, silent") << true << 2 << true << "/扩展帧";
    QTest::newRow("fixed, loopback") << false << 1 << false << "";
    QTest::newRow("variable, loopback and silent") << true << 3 << false << "";
}

void TestDemo::setStartGovernsTheBus()
{
    QFETCH(bool, variable);
    QFETCH(int, mode);
    QFETCH(bool, busHeard);
    QFETCH(QString, extendedText);
    OnTheBus c;
    const quint64 before = receiveStats().canFrames;
    QVERIFY(spinUntil([&] { return receiveStats().canFrames > before; }, 5000));   // heard at power-up
    c.setStart(variable, mode);
    spinEventLoop(500);                         // frames sent before the command have arrived
    c.restartStatistics();
    // A frame the converter passes whatever its mode: proof that the line is alive.
    c.emulator.command(QStringLiteral("raw ") + QString::fromLatin1(fixedBytes(0x70F).toHex()));
    if (!busHeard) {
        QVERIFY(spinUntil([&] { return !statisticsIds.isEmpty(); }, 5000));
        spinEventLoop(1500);
        QCOMPARE(statisticsIds, QStringList { QStringLiteral("0x0000070f") });
        return;
    }
    QVERIFY(spinUntil([&] { return statisticsIds.size() >= 18; }, 5000));
    int extendedRows = 0;
    for (int row = 0; row < statisticsIds.size(); ++row) {
        const QString format = c.window.cell(row, 4);
        QVERIFY2(format == QStringLiteral("标准帧") || format == extendedText, qPrintable(format));
        extendedRows += format == extendedText;
    }
    QVERIFY(extendedRows >= 5);
}

void TestDemo::receiveIdFilterIsHonoured_data()
{
    QTest::addColumn<bool>("uploadOnly");
    QTest::newRow("仅上传: only the listed identifiers") << true;
    QTest::newRow("不上传: all but the listed identifiers") << false;
}

void TestDemo::receiveIdFilterIsHonoured()
{
    QFETCH(bool, uploadOnly);
    OnTheBus c;
    c.restartStatistics();
    QVERIFY(spinUntil([&] { return statisticsIds.size() >= 18; }, 5000));
    const QStringList listed = statisticsIds.mid(0, 2);     // among the busiest: seen first
    QTableWidget *ids = c.window.widget<QTableWidget>("tableWidget_5");
    ids->setRowCount(listed.size());
    for (int row = 0; row < listed.size(); ++row)
        ids->setItem(row, 0, new QTableWidgetItem(listed.at(row)));
    c.window.click(uploadOnly ? "radioBtnUploadOnly" : "radioBtnNoUpload");
    c.window.click("btnReceiveSet");
    spinEventLoop(300);                         // frames already under way
    c.restartStatistics();
    spinEventLoop(2500);                        // longer than the slowest period
    const QSet<QString> seen(statisticsIds.cbegin(), statisticsIds.cend());
    if (uploadOnly) {
        QCOMPARE(seen, QSet<QString>(listed.cbegin(), listed.cend()));
    } else {
        QVERIFY(!seen.contains(listed.at(0)) && !seen.contains(listed.at(1)));
        QCOMPARE(seen.size(), 18);              // twenty messages, two blocked
    }
}

void TestDemo::demoStartsAndStopsCleanly()
{
    DemoScript demo;
    const QString line = demo.outputLineWith(QStringLiteral("端口号"), 30000);
    const QString port = QRegularExpression(QStringLiteral("(/dev/\\S+)")).match(line).captured(1);
    QVERIFY2(line.contains(QStringLiteral("打开端口")) && QFileInfo::exists(port), qPrintable(line));

    const qint64 script = demo.process.processId();
    qint64 program = 0;
    QVERIFY(spinUntil([&] { return (program = childRunning(script, QStringLiteral(TAVICON_PROGRAM))) != 0; }, 10000));
    const qint64 emulator = childRunning(script, QStringLiteral(CONVERTER_EMULATOR));
    QVERIFY(emulator != 0);
    // The program runs in the demo's own folder, not in the caller's.
    QCOMPARE(QFileInfo(QStringLiteral("/proc/%1/cwd").arg(program)).canonicalFilePath(),
             QFileInfo(demo.state.path() + QStringLiteral("/tavicon-demo")).canonicalFilePath());

    QCOMPARE(::kill(pid_t(program), SIGTERM), 0);  // the program ends
    QVERIFY(demo.process.waitForFinished(15000));
    QVERIFY2(!QFileInfo::exists(QStringLiteral("/proc/%1").arg(emulator)), "the emulator outlived the demo");
}

QTEST_MAIN(TestDemo)
#include "test_demo.moc"
