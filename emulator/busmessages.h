#ifndef TAVICON_EMULATOR_BUSMESSAGES_H
#define TAVICON_EMULATOR_BUSMESSAGES_H

#include <QList>
#include <QtGlobal>

#include "link/canframe.h"

// The messages of the simulated vehicle bus: a car's powertrain and body
// messages on standard identifiers and a truck-style set of extended ones,
// all telling the same drive (pulling away, cruising, braking, a short stop),
// which repeats every 100 s while the engine and the cabin slowly warm up.

// What the vehicle does `seconds` after the bus started.
struct VehicleState
{
    double seconds = 0;
    double speedKmh = 0;
    double accelerationKmhPerS = 0;
    int gear = 0;                 // 0 = neutral
    double engineRpm = 0;
    double throttlePercent = 0;
    double brakeBar = 0;
    double steeringDeg = 0;
    double coolantC = 0;
    double oilC = 0;
    double ambientC = 0;
    double batteryV = 0;
    double batteryA = 0;
    double fuelPercent = 0;
};

VehicleState vehicleAt(double seconds);
// Distance driven since the bus started, in metres.
double distanceMetres(double seconds);

struct BusMessage
{
    quint32 identifier;
    FrameFormat format;
    int periodMs;                 // 10 .. 1000
    bool remote;
    // The data of transmission number `count` (0 for the first), sent at `seconds`.
    QByteArray (*payload)(const VehicleState &state, qint64 count);
};

const QList<BusMessage> &busMessages();

// Transmission number `count` of `message`, `seconds` after the bus started.
CanFrame busFrame(const BusMessage &message, qint64 count, double seconds);

#endif // TAVICON_EMULATOR_BUSMESSAGES_H
