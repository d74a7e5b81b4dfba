// The window started on malformed and huge start-up files: it starts, and
// saving afterwards writes a file of well-formed lines that the next start
// reads back to the same table (saving it again gives the same bytes).

#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QtTest>

#include "support/ptypair.h"
#include "support/windowharness.h"
#include "support/testfiles.h"

namespace {

struct StartFile
{
    const char *name;
    const char *saveButton;
    int fields;                 // per line; cfg.txt's line ends with a ","
    QByteArray line;            // a well-formed line
};

const StartFile kFiles[] = {
    {"cfg.txt", "btnSetStart", 13,
     "115200,环回模式,扩展帧,250K,CAN_BS1_6tq,CAN_BS2_5tq,12,250.000kbps,1F,2E,Manual BPS FALSE,SendAlways,Fixed,"},
    {"manual.txt", "btnManualSave", 3, "0x00000001,00 11 22 33 44 55 66 77,发送"},
    {"auto.txt", "btnAutoSave", 5, "0x00000002,00 11 22,100,1,发送"},
    {"reply.txt", "btnAutoReplySave", 3, "0x00000003,0x00000004,01 02 03"},
    {"receiveID.txt", "btnReceiveSave", 1, "0x00000005"},
};

QByteArray malformedContent(const QString &kind, const QByteArray &line)
{
    QByteArray bytes;
    if (kind == QLatin1String("random")) {
        QRandomGenerator random(20260);
        bytes.resize(256 * 1024);
        for (char &c : bytes)
            c = char(random.bounded(256));
    } else if (kind == QLatin1String("NUL bytes")) {
        bytes = QByteArray(line).replace(',', QByteArray(",\0", 2)) + '\n' + QByteArray(4096, '\0');
    } else if (kind == QLatin1String("invalid UTF-8")) {
        bytes = QByteArray(line).replace(',', ",\xC3\x28\xFF\xED\xA0\x80") + "\n\xF8\x88\x80\x80\x80\n";
    } else if (kind == QLatin1String("CR line ends")) {
        bytes = line + '\r' + line + '\r' + line + '\r';
    } else if (kind == QLatin1String("one 10 MB line")) {
        const int comma = qMax(0, int(line.indexOf(',')));
        bytes = line.left(comma) + QByteArray(10 * 1024 * 1024, '7') + line.mid(comma) + '\n';
    } else {                    // 100,000 lines
        bytes.reserve(100000 * (line.size() + 1));
        for (int k = 0; k < 100000; ++k)
            bytes.append(line).append('\n');
    }
    return bytes;
}

// Starts the window on `content`, saves the file and returns what was saved;
// `status` receives the status bar's text after the save.
QByteArray startAndSave(const StartFile &file, const QByteArray &content, QString *status = nullptr)
{
    WindowHarness w({{QString::fromLatin1(file.name), content}});
    if (!w.window().isVisible())
        return "<not started>";
    PtyPair converter;
    w.openPort(converter.portName());
    // The texts set-and-start checks are corrected first, as the user would
    // when the file brought ones it refuses.
    if (QLatin1String(file.name) == QLatin1String("cfg.txt")) {
        for (const char *edit : {"lineEditPrescale", "lineEditFilter", "lineEditMask"})
            w.widget<QLineEdit>(edit)->setText(QStringLiteral("3"));
    }
    w.click(file.saveButton);
    if (status)
        *status = w.statusText();
    return fileBytes(QString::fromLatin1(file.name));
}

} // namespace

class TestStartupFiles : public QObject
{
    Q_OBJECT

private slots:
    void malformed_data();
    void malformed();
};

void TestStartupFiles::malformed_data()
{
    QTest::addColumn<int>("file");
    QTest::addColumn<QString>("kind");
    for (int f = 0; f < int(std::size(kFiles)); ++f) {
        for (const char *kind : {"random", "NUL bytes", "invalid UTF-8", "CR line ends", "one 10 MB line", "100000 lines"})
            QTest::addRow("%s, %s", kFiles[f].name, kind) << f << QString::fromLatin1(kind);
    }
}

void TestStartupFiles::malformed()
{
    QFETCH(int, file);
    QFETCH(QString, kind);
    const StartFile &f = kFiles[file];
    const QByteArray content = malformedContent(kind, f.line);
    QString status;
    const QByteArray saved = startAndSave(f, content, &status);
    // An identifier read with a carriage return inside is not saved: the file stays.
    if (status.endsWith(QStringLiteral("行含有换行符，无法保存"))) {
        QCOMPARE(saved, content);
        return;
    }

    const bool config = f.fields == 13;
    QList<QByteArray> lines = saved.split('\n');
    QVERIFY2(config ? lines.size() == 1 : lines.takeLast().isEmpty(), saved.left(200).constData());
    for (const QByteArray &line : std::as_const(lines)) {
        const QList<QByteArray> fields = line.split(',');
        if (f.fields == 1)          // one identifier text per line, "," and all
            QVERIFY(!line.trimmed().isEmpty());
        else
            QVERIFY2(config ? fields.size() == 14 && fields.last().isEmpty() : fields.size() == f.fields,
                     line.left(200).constData());
    }
    QVERIFY(startAndSave(f, saved) == saved);
}

QTEST_MAIN(TestStartupFiles)
#include "test_startupfiles.moc"
