#ifndef TAVICON_SERIALLINE_H
#define TAVICON_SERIALLINE_H

#include <QSerialPort>

// Rules of the converter's serial line shared by every program that owns the
// port: when kept bytes of a split frame are given up, and when an error the
// port reports means the converter has gone.

// A converter writes each frame in one go; bytes of a frame still missing after
// this long will not come.
constexpr int ConverterQuietMs = 100;

// A write that finds the line's buffer full (the converter reads slower than
// frames are sent) is reported as a resource error too, with the system error
// EAGAIN; the bytes stay queued and leave when the line takes them. A read at a
// line that has gone can leave a stale EAGAIN behind as well, so the line
// itself is asked: still there, no hang-up, and bytes waiting to be written.
// Asked at once when the port reports the error, while `systemError` (errno)
// is that of the failed call.
bool serialLineMerelyFull(const QSerialPort &port, int systemError);

// A converter unplugged under an open port makes every further read fail: a
// read or resource error that is not a merely full line means the port is lost.
inline bool serialPortLost(QSerialPort::SerialPortError error, bool lineFull)
{
    return (error == QSerialPort::ReadError || error == QSerialPort::ResourceError) && !lineFull;
}

#endif // TAVICON_SERIALLINE_H
