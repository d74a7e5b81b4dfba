// The Debian package made from the install rules of this build tree: the
// programs, the desktop entry and the icons, and the dependencies.

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString output(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        qWarning("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

class TestPackage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void contents_data();
    void contents();
    void dependencies_data();
    void dependencies();

private:
    QTemporaryDir dir;
    QString package;
    QString listing;
    QString info;
};

void TestPackage::initTestCase()
{
    const QString dpkgDeb = QStandardPaths::findExecutable(QStringLiteral("dpkg-deb"));
    if (dpkgDeb.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("dpkg-shlibdeps")).isEmpty())
        QSKIP("dpkg-deb and dpkg-shlibdeps (Debian's dpkg-dev) are needed to make a package");
    output(QStringLiteral(CPACK_COMMAND),
           {"-G", "DEB", "--config", QStringLiteral(BUILD_DIR "/CPackConfig.cmake"), "-B", dir.path()});
    const QStringList packages = QDir(dir.path()).entryList({"*.deb"}, QDir::Files);
    QCOMPARE(packages.size(), 1);
    package = dir.filePath(packages.first());
    listing = output(dpkgDeb, {"--contents", package});
    info = output(dpkgDeb, {"--info", package});
}

void TestPackage::contents_data()
{
    QTest::addColumn<QString>("path");
    for (const char *program : {"tavicon", "converter-emulator", "tavicon-log"})
        QTest::newRow(program) << QStringLiteral("./usr/bin/%1").arg(program);
    QTest::newRow("desktop entry") << "./usr/share/applications/tavicon.desktop";
    for (const char *size : {"16x16", "32x32", "48x48"})
        QTest::newRow(size) << QStringLiteral("./usr/share/icons/hicolor/%1/apps/tavicon.png").arg(size);
}

void TestPackage::contents()
{
    QFETCH(QString, path);
    const QRegularExpression entry(QStringLiteral("^-\\S+ \\S+\\s+[1-9]\\d* .* %1$").arg(QRegularExpression::escape(path)),
                                   QRegularExpression::MultilineOption);
    QVERIFY2(entry.match(listing).hasMatch(), qPrintable(listing));
}

void TestPackage::dependencies_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("package");
    for (const char *library : {"libqt6core6", "libqt6gui6", "libqt6widgets6", "libqt6serialport6", "qt6-qpa-plugins"})
        QTest::newRow(library) << "Depends" << library;
    QTest::newRow("CJK font") << "Recommends" << "fonts-noto-cjk";
}

void TestPackage::dependencies()
{
    QFETCH(QString, field);
    QFETCH(QString, package);
    const QRegularExpression line(QStringLiteral("^ %1: (.*)$").arg(field), QRegularExpression::MultilineOption);
    const QStringList packages = line.match(info).captured(1).split(QStringLiteral(", "));
    QVERIFY2(packages.contains(package) || !packages.filter(QRegularExpression('^' + package + " \\(")).isEmpty(),
             qPrintable(info));
}

QTEST_GUILESS_MAIN(TestPackage)
#include "test_package.moc"
