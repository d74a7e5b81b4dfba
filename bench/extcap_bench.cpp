// tavicon-extcap at the converter's line rate: the emulator writes 10,000
// fixed frames a second for 5 s; the extcap captures them into a fifo that
// this benchmark reads as Wireshark would, counting every frame by the number
// in its data.
//
//   extcap frames=<n> lost=<n> cpu_us_per_frame=<x>

#include <QCoreApplication>
#include <QProcess>
#include <QSocketNotifier>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "childprocess.h"
#include "emulatorprocess.h"

namespace {
constexpr int Rate = 10000;
constexpr int Frames = Rate * 5;
constexpr int HeaderSize = 24;
constexpr int RecordSize = 32;       // record header, then the 16-byte frame with data at 8
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("capture")));
    // Open for reading first, as Wireshark does, so that the extcap's open returns.
    const int fd = ::mkfifo(fifo.constData(), 0600) == 0 ? ::open(fifo.constData(), O_RDONLY | O_NONBLOCK) : -1;
    EmulatorProcess emulator;
    if (fd < 0 || !emulator.isRunning()) {
        std::fprintf(stderr, "extcap_bench: no fifo or no emulator\n");
        return 1;
    }
    QProcess extcap;
    extcap.setProcessChannelMode(QProcess::ForwardedChannels);
    extcap.start(QStringLiteral(TAVICON_EXTCAP), {"--capture", "--extcap-interface", "tavicon", "--fifo",
                                                  QFile::decodeName(fifo), "--port", emulator.portName()});
    if (emulator.waitForLine(QStringLiteral("RX SETSTART"), 5000).isEmpty()) {
        std::fprintf(stderr, "extcap_bench: the extcap did not configure the converter\n");
        return 1;
    }

    std::vector<bool> seen(Frames, false);
    int frames = 0;
    qint64 records = 0;
    QByteArray stream;
    qsizetype at = HeaderSize;
    QSocketNotifier notifier(fd, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        char buf[65536];
        for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;)
            stream.append(buf, qsizetype(n));
        for (; at + RecordSize <= stream.size(); at += RecordSize, ++records) {
            const auto *data = reinterpret_cast<const uchar *>(stream.constData() + at + 16 + 8);
            const quint32 k = data[0] | data[1] << 8 | data[2] << 16 | quint32(data[3]) << 24;
            if (k < quint32(Frames) && !seen[k]) {
                seen[k] = true;
                ++frames;
            }
        }
        stream.remove(0, at);
        at = 0;
    });

    const double cpuBefore = cpuMicroseconds(extcap.processId());
    emulator.command(QStringLiteral("gen %1 %2 fixed id=100 format=std data=seq").arg(Frames).arg(Rate));
    runUntil([&] { return frames == Frames; }, 5000 + 5000);
    runUntil([] { return false; }, 200);
    const double cpuUs = cpuMicroseconds(extcap.processId()) - cpuBefore;
    extcap.terminate();
    const bool ended = extcap.waitForFinished(5000) && extcap.exitStatus() == QProcess::NormalExit
                    && extcap.exitCode() == 0;
    ::close(fd);

    std::printf("extcap frames=%lld lost=%d cpu_us_per_frame=%.2f\n", records, Frames - frames,
                records > 0 ? cpuUs / double(records) : 0.0);
    std::fflush(stdout);
    return ended ? 0 : 1;
}
