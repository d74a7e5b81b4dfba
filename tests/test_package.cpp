// The Debian package made with the install rules of this build tree.

#include <QLibraryInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestPackage : public QObject
{
    Q_OBJECT

private slots:
    void listsProgramsEntryIconsAndDependencies();
};

void TestPackage::listsProgramsEntryIconsAndDependencies()
{
    if (QStandardPaths::findExecutable("dpkg-deb").isEmpty() || QStandardPaths::findExecutable("dpkg-shlibdeps").isEmpty())
        QSKIP("dpkg-deb and dpkg-shlibdeps (Debian's dpkg-dev) are needed to make a package");
    QTemporaryDir dir;
    const auto output = [](const QString &program, const QStringList &arguments) {
        QProcess process;
        process.start(program, arguments);
        const bool ok = process.waitForFinished(120000) && process.exitCode() == 0;
        return ok ? QString::fromUtf8(process.readAllStandardOutput()) : QString();
    };
    QVERIFY(!output(CPACK_COMMAND, {"-G", "DEB", "--config", BUILD_DIR "/CPackConfig.cmake", "-B", dir.path()}).isEmpty());
    const QStringList packages = QDir(dir.path()).entryList({"*.deb"}, QDir::Files);
    QCOMPARE(packages.size(), 1);
    const QString listing = output("dpkg-deb", {"--contents", dir.filePath(packages.first())});
    // Wireshark's own extcap folder on this machine.
    const QString multiarch = output("dpkg-architecture", {"-qDEB_HOST_MULTIARCH"}).trimmed();
    QVERIFY(!multiarch.isEmpty());
    QStringList headless{"bin/converter-emulator", "bin/tavicon-log", "bin/tavicon-bridge", "lib/" + multiarch + "/wireshark/extcap/tavicon-extcap"};
#ifdef TAVICON_CANBUS_PLUGIN
    headless << QDir("/usr").relativeFilePath(QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/canbus/" TAVICON_CANBUS_PLUGIN);
#endif
    for (const QString &path : QStringList{"bin/tavicon", "share/applications/tavicon.desktop", "share/doc/tavicon/README.md",
                               "share/icons/hicolor/16x16/apps/tavicon.png", "share/icons/hicolor/32x32/apps/tavicon.png",
                               "share/icons/hicolor/48x48/apps/tavicon.png"} + headless) {
        const QRegularExpression file("^-\\S+ \\S+ +[1-9]\\d* .* \\./usr/" + QRegularExpression::escape(path) + '$',
                                      QRegularExpression::MultilineOption);
        QVERIFY2(file.match(listing).hasMatch(), qPrintable(path + " missing from\n" + listing));
    }
    // The extcap's help link, unpacked anywhere, is the README unpacked with it.
    output("dpkg-deb", {"-x", dir.filePath(packages.first()), dir.path()});
    const QString interfaces = output(dir.filePath("usr/lib/" + multiarch + "/wireshark/extcap/tavicon-extcap"), {"--extcap-interfaces"});
    QVERIFY2(interfaces.contains("{help=" + QUrl::fromLocalFile(dir.filePath("usr/share/doc/tavicon/README.md")).toString(QUrl::FullyEncoded) + '}'),
             qPrintable(interfaces));
    // The headless programs load neither Qt Gui nor Qt Widgets.
    for (const QString &program : headless) {
        const QString libraries = output("ldd", {dir.filePath("usr/" + program)});
        QVERIFY2(libraries.contains("libQt6Core.so") && !libraries.contains("libQt6Gui") && !libraries.contains("libQt6Widgets"),
                 qPrintable(program + '\n' + libraries));
    }
    const QString info = output("dpkg-deb", {"--info", dir.filePath(packages.first())});
    const auto field = [&](const char *name) {
        return QRegularExpression(QStringLiteral("^ %1: (.*)$").arg(name), QRegularExpression::MultilineOption)
            .match(info).captured(1).split(QStringLiteral(", "));
    };
    for (const char *library : {"libqt6core6", "libqt6gui6", "libqt6widgets6", "libqt6serialport6", "libqt6network6"})
        QVERIFY2(!field("Depends").filter(QRegularExpression(QStringLiteral("^%1( \\(|$)").arg(library))).isEmpty(), qPrintable(info));
    QVERIFY2(field("Depends").contains("qt6-qpa-plugins"), qPrintable(info));
    QCOMPARE(field("Recommends"), QStringList{"fonts-noto-cjk"});
}

QTEST_GUILESS_MAIN(TestPackage)
#include "test_package.moc"
