#include "emulator/trafficgenerator.h"

#include <cmath>

#include "console/ptyline.h"

namespace {
// An unpaced run refills the queue below the low mark up to the high mark:
// enough to keep the pty busy without building up a large backlog.
constexpr qint64 LowWater = 16 * 1024;
constexpr qint64 HighWater = 64 * 1024;
constexpr quint32 StandardIdRange = 1u << 11;
constexpr quint32 ExtendedIdRange = 1u << 29;
constexpr quint8 FrameStart = 0xAA;
}

TrafficGenerator::TrafficGenerator(PtyLine &line, std::function<FrameFraming()> autoFraming,
                                   QObject *parent)
    : QObject(parent)
    , line(line)
    , autoFraming(std::move(autoFraming))
    , random(QRandomGenerator::global()->generate())
{
    delayTimer.setSingleShot(true);
    paceTimer.setSingleShot(true);
    paceTimer.setTimerType(Qt::PreciseTimer);
    connect(&delayTimer, &QTimer::timeout, this, &TrafficGenerator::begin);
    connect(&paceTimer, &QTimer::timeout, this, &TrafficGenerator::pacedTick);
    connect(&line, &PtyLine::bytesWritten, this, [this] {
        if (state == State::Generating && run.rate <= 0)
            topUp();
        else if (state == State::Draining)
            checkDrained();
    });
}

void TrafficGenerator::start(const GenerationSettings &settings)
{
    delayTimer.stop();
    paceTimer.stop();
    run = settings;
    generated = 0;
    sent = 0;
    runBytes = 0;
    if (run.seed)
        random.seed(*run.seed);
    state = State::Delaying;
    delayTimer.start(run.delayMs);
}

void TrafficGenerator::begin()
{
    state = State::Generating;
    clock.start();
    if (run.rate > 0)
        pacedTick();
    else
        topUp();
}

void TrafficGenerator::pacedTick()
{
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    const qint64 due = qMin(run.count, qint64(std::floor(seconds * run.rate)) + 1);
    generate(due - generated);
    if (state != State::Generating)
        return;
    // Sleep until the next frame is due, at least a millisecond: a fast rate
    // is served by several frames per tick instead of a busy loop.
    const double nextMs = double(generated) * 1000.0 / run.rate;
    const double waitMs = nextMs - double(clock.nsecsElapsed()) / 1e6;
    paceTimer.start(int(qBound(1.0, std::ceil(waitMs), 3600.0 * 1000.0)));
}

void TrafficGenerator::topUp()
{
    if (line.queuedBytes() >= LowWater)
        return;
    while (state == State::Generating && line.queuedBytes() < HighWater)
        generate(qMin<qint64>(64, run.count - generated));
}

void TrafficGenerator::generate(qint64 frames)
{
    QByteArray out;
    for (qint64 i = 0; i < frames; ++i) {
        const CanFrame frame = nextFrame();
        const FrameFraming framing = nextFraming();
        ++generated;
        if (framePasses && !framePasses(frame.identifier))
            continue;
        appendNoise(out);
        out.append(framing == FrameFraming::Fixed ? encodeFixedFrame(frame) : encodeVariableFrame(frame));
        ++sent;
    }
    runBytes += out.size();
    line.send(out);
    if (generated >= run.count) {
        state = State::Draining;
        endOffset = line.totalQueued();
        checkDrained();
    }
}

void TrafficGenerator::checkDrained()
{
    if (line.totalWritten() < endOffset)
        return;
    state = State::Idle;
    emit finished(sent, runBytes);
}

CanFrame TrafficGenerator::nextFrame()
{
    using G = GenerationSettings;
    CanFrame frame;
    const bool extended = run.format == G::Format::Extended
                       || (run.format == G::Format::Random && random.bounded(2u) == 1);
    frame.format = extended ? FrameFormat::Extended : FrameFormat::Standard;
    frame.identifier = run.randomId      ? random.bounded(extended ? ExtendedIdRange : StandardIdRange)
                       : run.idSetSize > 0 ? quint32(generated % run.idSetSize)
                                           : run.id;
    frame.remote = run.remoteShare > 0 && random.generateDouble() < run.remoteShare;
    switch (run.data) {
    case G::Data::Fixed:
        frame.data = run.fixedData;
        break;
    case G::Data::Sequence: {
        // Eight bytes, the frame's number in the run little-endian first.
        frame.data = QByteArray(8, '\0');
        for (int i = 0; i < 4; ++i)
            frame.data[i] = char((quint64(generated) >> (8 * i)) & 0xFF);
        break;
    }
    case G::Data::Random: {
        const int length = int(random.bounded(9u));
        frame.data.resize(length);
        for (int i = 0; i < length; ++i)
            frame.data[i] = char(random.bounded(256u));
        break;
    }
    }
    frame.length = int(frame.data.size());
    return frame;
}

FrameFraming TrafficGenerator::nextFraming() const
{
    using F = GenerationSettings::Framing;
    switch (run.framing) {
    case F::Fixed: return FrameFraming::Fixed;
    case F::Variable: return FrameFraming::Variable;
    case F::Mixed: return generated % 2 == 0 ? FrameFraming::Fixed : FrameFraming::Variable;
    case F::Auto: break;
    }
    return autoFraming();
}

void TrafficGenerator::appendNoise(QByteArray &out)
{
    if (run.noise <= 0 || random.generateDouble() >= run.noise)
        return;
    const int count = 1 + int(random.bounded(3u));
    for (int i = 0; i < count; ++i) {
        // Never a frame start, so noise cannot swallow the frame behind it.
        quint32 byte = random.bounded(255u);
        if (byte >= FrameStart)
            ++byte;
        out.append(char(byte));
    }
}
