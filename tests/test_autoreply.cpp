// Automatic replies end to end: the converter emulator sends a frame, the
// window answers, the emulator reports what reached it.

#include <QComboBox>
#include <QRadioButton>
#include <QTableWidget>
#include <QtTest>

#include "emulatorprocess.h"
#include "support/frames.h"
#include "support/ptypair.h"
#include "support/windowharness.h"

namespace {

QString replyLine(const char *framing, const char *format, quint32 id)
{
    return QStringLiteral("RX CAN %1 %2 data id=%3 len=8 data=0011223344556677")
        .arg(framing, format, QString::number(id, 16).rightJustified(8, '0'));
}

} // namespace

class TestAutoReply : public QObject
{
    Q_OBJECT

private slots:
    void replies_data();
    void replies();
};

void TestAutoReply::replies_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<bool>("variable");       // framing of the replies
    QTest::addColumn<bool>("extended");
    QTest::addColumn<QString>("setup");       // "paused", "two rows", "bad receive id", "off" or empty
    QTest::addColumn<QStringList>("lines");
    const auto S = FrameFormat::Standard;
    const auto E = FrameFormat::Extended;
    QTest::newRow("fixed in, fixed out") << fixedBytes(0x12, S) << false << false << ""
                                         << QStringList{replyLine("fixed", "std", 0x22)};
    QTest::newRow("variable in, fixed out, extended") << variableBytes(0x12, E, hex("01")) << false << true << ""
                                                      << QStringList{replyLine("fixed", "ext", 0x22)};
    QTest::newRow("fixed remote in, variable out") << fixedBytes(0x13, S, {}, true) << true << false << ""
                                                   << QStringList{replyLine("variable", "std", 0x23)};
    QTest::newRow("variable in, variable out") << variableBytes(0x19, S) << true << true << ""
                                               << QStringList{replyLine("variable", "ext", 0x29)};
    QTest::newRow("two matching rows, in table order") << fixedBytes(0x12, S) << false << false << "two rows"
                                                       << QStringList{replyLine("fixed", "std", 0x20),
                                                                      replyLine("fixed", "std", 0x22)};
    QTest::newRow("paused") << fixedBytes(0x12, S) << false << false << "paused"
                            << QStringList{replyLine("fixed", "std", 0x22)};
    QTest::newRow("unmatched identifier") << fixedBytes(0x2, S) << false << false << "" << QStringList{};
    QTest::newRow("receive id not hexadecimal") << fixedBytes(0x0, S) << false << false << "bad receive id"
                                                << QStringList{};
    QTest::newRow("replying off") << fixedBytes(0x12, S) << false << false << "off" << QStringList{};
    // A bus status reply whose bytes would read as identifier 0x12.
    QTest::newRow("bus status reply") << buildFixedCommand(FixedLayout::CodeBusStatus, hex("01 01 12 00 00 00 08"))
                                      << false << false << "" << QStringList{};
}

void TestAutoReply::replies()
{
    QFETCH(QByteArray, received);
    QFETCH(bool, variable);
    QFETCH(bool, extended);
    QFETCH(QString, setup);
    QFETCH(QStringList, lines);
    EmulatorProcess emulator;
    QVERIFY(emulator.isRunning());
    WindowHarness h;
    h.openPort(emulator.portName());
    auto *table = h.widget<QTableWidget>("tableWidget_4");
    h.widget<QRadioButton>(variable ? "radioBtnVariable" : "radioBtnFixed")->click();
    h.widget<QComboBox>("cbBoxType")->setCurrentIndex(extended ? 1 : 0);
    if (setup != "off")
        h.click("checkBoxReplyAuto");
    if (setup == "paused")
        h.click("checkBoxPause");
    if (setup == "two rows")
        table->item(0, 0)->setText(" 12");
    if (setup == "bad receive id")
        table->item(3, 0)->setText("zz");

    emulator.command(QStringLiteral("raw %1").arg(QString::fromLatin1(received.toHex())));
    QStringList got;
    for (QString line; !(line = emulator.waitForLine("RX CAN", lines.size() > got.size() ? 3000 : 400)).isEmpty();)
        got << line;
    QCOMPARE(got, lines);
    const bool shown = setup != "paused" && !received.startsWith(hex("AA 55 04"));
    QCOMPARE(nextTrafficRow, shown ? 1 + int(lines.size()) : 0);
    for (int k = 0; shown && k < lines.size(); ++k)
        QCOMPARE(h.cell(1 + k, 1), QStringLiteral("发送"));
}

QTEST_MAIN(TestAutoReply)
#include "test_autoreply.moc"
