#ifndef TAVICON_EMULATOR_SIMULATEDBUS_H
#define TAVICON_EMULATOR_SIMULATEDBUS_H

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

class ConverterDevice;
class PtyLine;

// The CAN bus the converter sits on: the messages of busmessages.h, each sent
// on its own period from start-up on, and passed to the host as the converter
// would: in the framing of the last set-and-start, through its receive-ID
// filter, and not at all while its controller is in a loopback mode (it then
// hears only itself). Like a converter whose buffer is full, it drops frames
// while the host is not reading instead of piling them up.
class SimulatedBus : public QObject
{
    Q_OBJECT
public:
    SimulatedBus(PtyLine &line, const ConverterDevice &device, QObject *parent = nullptr);

    void start();

private:
    void tick();

    PtyLine &line;
    const ConverterDevice &device;
    QTimer timer;
    QElapsedTimer clock;
    QList<qint64> nextDueMs;      // per message
    QList<qint64> sentCount;      // per message: transmissions on the bus so far
};

#endif // TAVICON_EMULATOR_SIMULATEDBUS_H
