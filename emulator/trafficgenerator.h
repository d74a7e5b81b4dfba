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

signals:
    // Every frame of the run has been written into the pty.
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
    QRandomGenerator random;
    QTimer delayTimer;
    QTimer paceTimer;
    QElapsedTimer clock;

    State state = State::Idle;
    GenerationSettings run;
    qint64 generated = 0;
    qint64 runBytes = 0;
    qint64 endOffset = 0;          // line total that marks the run's last byte
};

#endif // TAVICON_EMULATOR_TRAFFICGENERATOR_H
