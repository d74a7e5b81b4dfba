// The Qt CAN bus plugin at the converter's line rate: the emulator writes
// 10,000 fixed frames a second for 5 s; this program reads them through
// QCanBus as a Qt program does, counting every frame by the number in its
// data, and times its own CPU (the plugin runs inside it).
//
//   qtcanbus frames=<n> lost=<n> cpu_us_per_frame=<x>

#include <QCanBus>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <unistd.h>
#include <vector>

#include "childprocess.h"     // cpuMicroseconds
#include "emulatorprocess.h"

namespace {
constexpr int Rate = 10000;
constexpr int Frames = Rate * 5;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::addLibraryPath(QStringLiteral(TAVICON_PLUGIN_DIR));
    EmulatorProcess emulator;
    QString why;
    std::unique_ptr<QCanBusDevice> device(QCanBus::instance()->createDevice(QStringLiteral("tavicon"), emulator.portName(), &why));
    if (!emulator.isRunning() || !device || !device->connectDevice()) {
        std::fprintf(stderr, "qtcanbus_bench: no emulator or no device: %s\n", qPrintable(device ? device->errorString() : why));
        return 1;
    }
    if (emulator.waitForLine(QStringLiteral("RX SETSTART"), 5000).isEmpty()) {
        std::fprintf(stderr, "qtcanbus_bench: the plugin did not configure the converter\n");
        return 1;
    }

    // The event loop sleeps between deliveries: runUntil() would spin in this
    // process, whose CPU time is measured.
    QEventLoop loop;
    std::vector<bool> seen(Frames, false);
    int frames = 0;
    qint64 received = 0;
    QObject::connect(device.get(), &QCanBusDevice::framesReceived, [&] {
        for (const QCanBusFrame &frame : device->readAllFrames()) {
            if (frame.frameType() != QCanBusFrame::DataFrame)
                continue;
            ++received;
            const QByteArray data = frame.payload();
            const auto *d = reinterpret_cast<const uchar *>(data.constData());
            const quint32 k = data.size() < 4 ? quint32(Frames) : d[0] | d[1] << 8 | d[2] << 16 | quint32(d[3]) << 24;
            if (k < quint32(Frames) && !seen[k]) {
                seen[k] = true;
                ++frames;
            }
        }
        if (frames == Frames)
            loop.quit();
    });

    const double cpuBefore = cpuMicroseconds(::getpid());
    emulator.command(QStringLiteral("gen %1 %2 fixed id=100 format=std data=seq").arg(Frames).arg(Rate));
    QTimer::singleShot(5000 + 5000, &loop, &QEventLoop::quit);
    loop.exec();
    QTimer::singleShot(200, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpuUs = cpuMicroseconds(::getpid()) - cpuBefore;
    device->disconnectDevice();

    std::printf("qtcanbus frames=%lld lost=%d cpu_us_per_frame=%.2f\n", received, Frames - frames,
                received > 0 ? cpuUs / double(received) : 0.0);
    std::fflush(stdout);
    return frames == Frames ? 0 : 1;
}
