// Start-up on a large send table: the time MainWindow's construction takes
// with a manual.txt of 100,000 rows in the working directory.
//
// One line, for scripts:
//   startup manual_lines=<n> ms=<construction time>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>

#include <cstdio>

#include "app/mainwindow.h"
#include "benchsupport.h"

int main(int argc, char *argv[])
{
    BenchApplication app(argc, argv);
    constexpr int kLines = 100000;

    QFile manual(QStringLiteral("manual.txt"));
    if (!manual.open(QIODevice::WriteOnly))
        return 1;
    for (int row = 0; row < kLines; ++row)
        manual.write(QStringLiteral("0x%1,00 11 22 33 44 55 66 77,发送\n").arg(row, 8, 16, QLatin1Char('0')).toUtf8());
    manual.close();

    QElapsedTimer clock;
    clock.start();
    MainWindow window;
    const qint64 ms = clock.elapsed();
    std::printf("startup manual_lines=%d ms=%lld\n", kLines, qlonglong(ms));
    std::fflush(stdout);
    return 0;
}
