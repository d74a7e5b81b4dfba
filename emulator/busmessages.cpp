#include "emulator/busmessages.h"

#include <QtMath>

#include <cmath>

namespace {

constexpr double CycleSeconds = 100.0;
constexpr double CruiseKmh = 90.0;
constexpr double TwoPi = 2.0 * M_PI;

// Smooth 0..1 ramp over x in 0..1, and its slope.
double ramp(double x) { return x * x * (3.0 - 2.0 * x); }
double rampSlope(double x) { return 6.0 * x * (1.0 - x); }

// Speed and its rate of change at `t` seconds into the drive cycle: pulling
// away, cruising with small swings, braking to a stop, a short stop.
void driveCycle(double t, double *speed, double *acceleration)
{
    if (t < 26.0) {
        const double x = t / 26.0;
        *speed = CruiseKmh * ramp(x);
        *acceleration = CruiseKmh * rampSlope(x) / 26.0;
    } else if (t < 66.0) {
        const double phase = TwoPi * (t - 26.0) / 20.0;
        *speed = CruiseKmh + 4.0 * std::sin(phase);
        *acceleration = 4.0 * TwoPi / 20.0 * std::cos(phase);
    } else if (t < 92.0) {
        const double x = (t - 66.0) / 26.0;
        *speed = CruiseKmh * (1.0 - ramp(x));
        *acceleration = -CruiseKmh * rampSlope(x) / 26.0;
    } else {
        *speed = 0;
        *acceleration = 0;
    }
}

double cycleSpeed(double t)
{
    double speed, acceleration;
    driveCycle(t, &speed, &acceleration);
    return speed;
}

// Metres driven from the start of a cycle to `t` seconds into it.
double cycleDistance(double t)
{
    constexpr double Step = 0.05;
    double metres = 0;
    for (double s = 0; s < t; s += Step)
        metres += cycleSpeed(s + Step / 2) / 3.6 * qMin(Step, t - s);
    return metres;
}

// Lower speed of each gear's band; the engine runs 1100..2800 rpm across a band.
constexpr double GearFloorKmh[] = { 0.5, 18.0, 32.0, 50.0, 68.0, 100.0 };

int gearFor(double speed)
{
    int gear = 0;
    while (gear < 5 && speed >= GearFloorKmh[gear])
        ++gear;
    return gear;
}

quint8 byteOf(double value)
{
    return quint8(qBound(0.0, std::round(value), 255.0));
}

void put16(QByteArray &bytes, int at, double value)
{
    const quint16 v = quint16(qBound(0.0, std::round(value), 65535.0));
    bytes[at] = char(v & 0xFF);
    bytes[at + 1] = char(v >> 8);
}

void putSigned16(QByteArray &bytes, int at, double value)
{
    const qint16 v = qint16(qBound(-32768.0, std::round(value), 32767.0));
    put16(bytes, at, double(quint16(v)));
}

void put32(QByteArray &bytes, int at, double value)
{
    const quint32 v = quint32(qBound(0.0, std::round(value), 4294967295.0));
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((v >> (8 * i)) & 0xFF);
}

// The 4-bit alive counter of a message.
quint8 alive(qint64 count) { return quint8(count & 0x0F); }

// Last byte: the sum of the bytes before it, as the car's control units check it.
void putChecksum(QByteArray &bytes)
{
    const int last = int(bytes.size()) - 1;
    bytes[last] = char(commandSum(bytes.constData(), 0, last));
}

// J1939 temperatures in 1/32 degree steps from -273 degrees.
double kelvin32(double celsius) { return (celsius + 273.0) * 32.0; }

QByteArray filled(int size) { return QByteArray(size, char(0xFF)); }

QByteArray engine(const VehicleState &s, qint64 n)
{
    QByteArray b(8, '\0');
    put16(b, 0, s.engineRpm * 4.0);
    b[2] = char(byteOf(s.throttlePercent * 2.5));
    b[3] = char(byteOf(18.0 + 0.8 * s.throttlePercent));
    b[4] = char(byteOf(s.coolantC + 40.0));
    b[6] = char(alive(n) << 4 | s.gear);
    putChecksum(b);
    return b;
}

QByteArray steering(const VehicleState &s, qint64 n)
{
    QByteArray b(6, '\0');
    putSigned16(b, 0, s.steeringDeg * 10.0);
    const double later = vehicleAt(s.seconds + 0.01).steeringDeg;
    putSigned16(b, 2, (later - s.steeringDeg) * 1000.0);     // 0.1 degree/s
    b[4] = char(alive(n));
    putChecksum(b);
    return b;
}

QByteArray wheelSpeeds(const VehicleState &s, qint64)
{
    QByteArray b(8, '\0');
    const double turn = 0.0015 * s.steeringDeg;
    put16(b, 0, s.speedKmh * (1.0 + turn) * 100.0);
    put16(b, 2, s.speedKmh * (1.0 - turn) * 100.0);
    put16(b, 4, s.speedKmh * (1.0 + turn / 2) * 100.0);
    put16(b, 6, s.speedKmh * (1.0 - turn / 2) * 100.0);
    return b;
}

QByteArray brakes(const VehicleState &s, qint64 n)
{
    QByteArray b(4, '\0');
    put16(b, 0, s.brakeBar * 10.0);
    b[2] = char((s.brakeBar > 0.5 ? 0x01 : 0) | (s.speedKmh < 0.5 ? 0x02 : 0));
    b[3] = char(alive(n));
    return b;
}

QByteArray speedAndGear(const VehicleState &s, qint64 n)
{
    QByteArray b(4, '\0');
    put16(b, 0, s.speedKmh * 100.0);
    b[2] = char(s.gear);
    b[3] = char(alive(n));
    return b;
}

QByteArray temperatures(const VehicleState &s, qint64)
{
    QByteArray b(4, '\0');
    b[0] = char(byteOf(s.coolantC + 40.0));
    b[1] = char(byteOf(s.oilC + 40.0));
    b[2] = char(byteOf(s.ambientC + 6.0 + 40.0));
    b[3] = char(byteOf(s.ambientC + 40.0));
    return b;
}

QByteArray battery(const VehicleState &s, qint64)
{
    QByteArray b(5, '\0');
    put16(b, 0, s.batteryV * 1000.0);
    putSigned16(b, 2, s.batteryA * 10.0);
    b[4] = char(byteOf(86.0 + 0.5 * std::sin(TwoPi * s.seconds / 300.0)));
    return b;
}

QByteArray body(const VehicleState &s, qint64)
{
    const double t = std::fmod(s.seconds, CycleSeconds);
    const bool blink = int(s.seconds / 0.4) % 2 == 0;
    quint8 lights = 0x03;                             // parking lights and low beam
    if (t >= 36.0 && t < 40.0 && blink)
        lights |= 0x04;                               // left indicator, changing lanes
    if (t >= 56.0 && t < 60.0 && blink)
        lights |= 0x08;                               // and back again
    QByteArray b(3, '\0');
    b[0] = char(t >= 95.0 ? 0x01 : 0x00);             // driver's door opened at the stop
    b[1] = char(lights);
    return b;
}

QByteArray climate(const VehicleState &s, qint64)
{
    const double cabin = 17.0 + 5.0 * (1.0 - std::exp(-s.seconds / 200.0));
    QByteArray b(4, '\0');
    b[0] = char(byteOf((s.ambientC + 40.0) * 2.0));
    b[1] = char(byteOf((cabin + 40.0) * 2.0));
    b[2] = char(byteOf((22.0 + 40.0) * 2.0));
    b[3] = char(3);
    return b;
}

QByteArray noData(const VehicleState &, qint64) { return QByteArray(); }

QByteArray heartbeat(const VehicleState &, qint64) { return QByteArray(1, char(0x05)); }

double torquePercent(const VehicleState &s) { return 8.0 + 0.9 * s.throttlePercent; }

QByteArray electronicEngine1(const VehicleState &s, qint64)
{
    QByteArray b = filled(8);
    b[0] = char(0xF0 | (s.speedKmh < 0.5 ? 0x00 : 0x01));
    b[1] = char(byteOf(torquePercent(s) + 2.0 + 125.0));
    b[2] = char(byteOf(torquePercent(s) + 125.0));
    put16(b, 3, s.engineRpm * 8.0);
    b[5] = char(0x00);
    b[7] = char(byteOf(torquePercent(s) + 125.0));
    return b;
}

QByteArray electronicEngine2(const VehicleState &s, qint64)
{
    QByteArray b = filled(8);
    b[0] = char(0xF0 | (s.throttlePercent < 0.5 ? 0x01 : 0x00));
    b[1] = char(byteOf(s.throttlePercent / 0.4));
    b[2] = char(byteOf(18.0 + 0.8 * s.throttlePercent));
    return b;
}

QByteArray cruiseVehicleSpeed(const VehicleState &s, qint64)
{
    QByteArray b = filled(8);
    b[0] = char(s.speedKmh < 0.5 ? 0xF4 : 0xF0);      // parking brake while stopped
    put16(b, 1, s.speedKmh * 256.0);
    b[3] = char(s.brakeBar > 0.5 ? 0xDF : 0xCF);
    return b;
}

QByteArray transmission2(const VehicleState &s, qint64)
{
    constexpr double Ratios[] = { 0.0, 3.6, 2.1, 1.4, 1.0, 0.8 };
    QByteArray b = filled(8);
    b[0] = char(s.gear + 125);
    put16(b, 1, Ratios[s.gear] * 1000.0);
    b[3] = char(s.gear + 125);
    return b;
}

QByteArray engineTemperature(const VehicleState &s, qint64)
{
    QByteArray b = filled(8);
    b[0] = char(byteOf(s.coolantC + 40.0));
    b[1] = char(byteOf(s.ambientC + 0.3 * (s.coolantC - s.ambientC) + 40.0));
    put16(b, 2, kelvin32(s.oilC));
    return b;
}

QByteArray ambientConditions(const VehicleState &s, qint64)
{
    QByteArray b = filled(8);
    b[0] = char(byteOf(101.3 / 0.5));
    put16(b, 1, kelvin32(17.0 + 5.0 * (1.0 - std::exp(-s.seconds / 200.0))));
    put16(b, 3, kelvin32(s.ambientC));
    b[5] = char(byteOf(s.ambientC + 6.0 + 40.0));
    return b;
}

QByteArray dashDisplay(const VehicleState &s, qint64)
{
    QByteArray b = filled(8);
    b[1] = char(byteOf(s.fuelPercent / 0.4));
    return b;
}

QByteArray vehicleDistance(const VehicleState &s, qint64)
{
    constexpr double OdometerAtStart = 312466000.0;   // metres
    const double trip = distanceMetres(s.seconds);
    QByteArray b(8, '\0');
    put32(b, 0, (OdometerAtStart + trip) / 5.0);
    put32(b, 4, trip / 5.0);
    return b;
}

QByteArray diagnostics(const VehicleState &, qint64)
{
    return QByteArray::fromHex("00ff00000000ffff");   // no lamp lit, no active fault
}

} // namespace

VehicleState vehicleAt(double seconds)
{
    VehicleState s;
    s.seconds = seconds;
    const double t = std::fmod(seconds, CycleSeconds);
    driveCycle(t, &s.speedKmh, &s.accelerationKmhPerS);
    s.gear = gearFor(s.speedKmh);
    if (s.gear == 0) {
        s.engineRpm = 780.0 + 15.0 * std::sin(TwoPi * seconds / 1.7);
    } else {
        const double low = s.gear == 1 ? 0.0 : GearFloorKmh[s.gear - 1];
        const double high = GearFloorKmh[s.gear];
        s.engineRpm = 1100.0 + 1700.0 * (s.speedKmh - low) / (high - low);
    }
    if (s.speedKmh >= 0.5 && s.accelerationKmhPerS > -0.5)
        s.throttlePercent = qBound(0.0, 12.0 + 5.0 * s.accelerationKmhPerS, 100.0);
    if (s.accelerationKmhPerS < -0.5)
        s.brakeBar = -4.0 * s.accelerationKmhPerS;
    s.steeringDeg = t >= 26.0 && t < 66.0 ? 12.0 * std::sin(TwoPi * (t - 26.0) / 16.0)
                                          : 2.0 * std::sin(TwoPi * seconds / 9.0);
    s.coolantC = 21.0 + 69.0 * (1.0 - std::exp(-seconds / 150.0));
    s.oilC = 21.0 + 74.0 * (1.0 - std::exp(-seconds / 260.0));
    s.ambientC = 17.5 + 0.5 * std::sin(TwoPi * seconds / 900.0);
    s.batteryV = 13.9 + 0.12 * std::sin(TwoPi * seconds / 6.3) - (s.speedKmh < 0.5 ? 0.3 : 0.0);
    s.batteryA = 6.5 + 2.0 * std::sin(TwoPi * seconds / 4.1);
    s.fuelPercent = qMax(5.0, 63.0 - 0.004 * seconds);
    return s;
}

double distanceMetres(double seconds)
{
    static const double perCycle = cycleDistance(CycleSeconds);
    const double cycles = std::floor(seconds / CycleSeconds);
    return cycles * perCycle + cycleDistance(seconds - cycles * CycleSeconds);
}

const QList<BusMessage> &busMessages()
{
    using F = FrameFormat;
    static const QList<BusMessage> messages = {
        { 0x0C1, F::Standard, 10, false, engine },
        { 0x0C5, F::Standard, 10, false, steering },
        { 0x1A0, F::Standard, 20, false, wheelSpeeds },
        { 0x1B4, F::Standard, 20, false, brakes },
        { 0x210, F::Standard, 50, false, speedAndGear },
        { 0x2B0, F::Standard, 100, false, temperatures },
        { 0x3E8, F::Standard, 100, false, battery },
        { 0x420, F::Standard, 200, false, body },
        { 0x5A0, F::Standard, 500, false, climate },
        { 0x6A1, F::Standard, 500, true, noData },          // a tester polling a node
        { 0x701, F::Standard, 1000, false, heartbeat },
        { 0x0CF00400, F::Extended, 20, false, electronicEngine1 },
        { 0x0CF00300, F::Extended, 50, false, electronicEngine2 },
        { 0x18FEF100, F::Extended, 100, false, cruiseVehicleSpeed },
        { 0x18F00503, F::Extended, 100, false, transmission2 },
        { 0x18FEEE00, F::Extended, 1000, false, engineTemperature },
        { 0x18FEF500, F::Extended, 1000, false, ambientConditions },
        { 0x18FEFC47, F::Extended, 1000, false, dashDisplay },
        { 0x18FEC1EE, F::Extended, 1000, false, vehicleDistance },
        { 0x18FECA00, F::Extended, 1000, false, diagnostics },
    };
    return messages;
}

CanFrame busFrame(const BusMessage &message, qint64 count, double seconds)
{
    CanFrame frame;
    frame.identifier = message.identifier;
    frame.format = message.format;
    frame.remote = message.remote;
    frame.data = message.payload(vehicleAt(seconds), count);
    frame.length = int(frame.data.size());
    return frame;
}
