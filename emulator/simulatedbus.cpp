#include "emulator/simulatedbus.h"

#include <algorithm>

#include "emulator/busmessages.h"
#include "emulator/converterdevice.h"
#include "console/ptyline.h"

namespace {
// Unread bytes in the pty beyond which the host counts as not reading (its
// port closed, or stalled): the bus's frames are then dropped, as by a
// converter with a full buffer, so a host opening the port later does not get
// seconds of old traffic first. About a fifth of a second of the bus.
constexpr qint64 BacklogLimit = 2048;
// A message that has fallen further behind than this (the emulator was
// stopped or starved) skips the missed cycles instead of sending a burst.
constexpr qint64 MaxLagMs = 1000;
}

SimulatedBus::SimulatedBus(PtyLine &line, const ConverterDevice &device, QObject *parent)
    : QObject(parent)
    , line(line)
    , device(device)
{
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, this, &SimulatedBus::tick);
}

void SimulatedBus::start()
{
    const QList<BusMessage> &messages = busMessages();
    nextDueMs.clear();
    sentCount.fill(0, messages.size());
    // Staggered first transmissions, as the control units do not start in step.
    for (int i = 0; i < messages.size(); ++i)
        nextDueMs.append((i * 7) % messages.at(i).periodMs);
    clock.start();
    tick();
}

void SimulatedBus::tick()
{
    const QList<BusMessage> &messages = busMessages();
    const qint64 now = clock.elapsed();
    struct Due { qint64 ms; int message; qint64 count; };
    QList<Due> due;
    for (int i = 0; i < messages.size(); ++i) {
        if (now - nextDueMs.at(i) > MaxLagMs)
            nextDueMs[i] = now;
        while (nextDueMs.at(i) <= now) {
            due.append({ nextDueMs.at(i), i, sentCount[i]++ });
            nextDueMs[i] += messages.at(i).periodMs;
        }
    }
    std::stable_sort(due.begin(), due.end(), [](const Due &a, const Due &b) { return a.ms < b.ms; });

    const bool hostKeepsUp = line.queuedBytes() == 0 && line.unreadByHost() < BacklogLimit;
    if (!device.loopback() && hostKeepsUp) {
        QByteArray out;
        for (const Due &d : due) {
            const BusMessage &message = messages.at(d.message);
            if (!device.passesFilter(message.identifier))
                continue;
            const CanFrame frame = busFrame(message, d.count, double(d.ms) / 1000.0);
            out.append(device.framing() == FrameFraming::Fixed ? encodeFixedFrame(frame)
                                                               : encodeVariableFrame(frame));
        }
        line.send(out);
    }

    const qint64 next = *std::min_element(nextDueMs.cbegin(), nextDueMs.cend());
    timer.start(int(qMax<qint64>(1, next - clock.elapsed())));
}
