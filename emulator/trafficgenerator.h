#ifndef TAVICON_EMULATOR_TRAFFICGENERATOR_H
#define TAVICON_EMULATOR_TRAFFICGENERATOR_H

#include <QElapsedTimer>
#include <QObject>
#include <QRandomGenerator>
#include <QTimer>

#include <functional>

#include "emulator/generationsettings.h"
#include "link/canframe.h"

class PtyLine;

// Writes generated CAN frames towards the host, one run at a time.
//
// Paced runs follow a catch-up schedule: frame k is due k / rate seconds after
// the start, and each timer tick writes every frame due by then, so the
// average rate holds even with coarse timers. Unpaced runs keep the output
// queue topped up while the line drains it.
class TrafficGenerator : public QObject
{
    Q_OBJECT
public:
    TrafficGenerator(PtyLine &line, std::function<FrameFraming()> autoFraming,
                     QObject *parent = nullptr);

    // Replaces a running run (which then ends without a finished signal).
    void start(const GenerationSettings &settings);
    void seed(quint32 value) { random.seed(value); }
    // Frames whose identifier does not pass are made (they take their place
    // in the run and its count) but neither written nor counted as sent.
    void setFrameFilter(std::function<bool(quint32 identifier)> passes) { framePasses = std::move(passes); }

signals:
    // Every frame of the run has been made and those that passed the filter
    // (`frames` of them) written into the pty.
    void finished(qint64 frames, qint64 bytes);

private:
    enum class State { Idle, Delaying, Generating, Draining };

    void begin();
    void pacedTick();
    void topUp();
    void checkDrained();
    void generate(qint64 frames);
    CanFrame nextFrame();
    FrameFraming nextFraming() const;
    void appendNoise(QByteArray &out);

    PtyLine &line;
    std::function<FrameFraming()> autoFraming;
    std::function<bool(quint32)> framePasses;
    QRandomGenerator random;
    QTimer delayTimer;
    QTimer paceTimer;
    QElapsedTimer clock;

    State state = State::Idle;
    GenerationSettings run;
    qint64 generated = 0;          // frames made, passed or not
    qint64 sent = 0;               // frames written
    qint64 runBytes = 0;
    qint64 endOffset = 0;          // line total that marks the run's last byte
};

#endif // TAVICON_EMULATOR_TRAFFICGENERATOR_H
