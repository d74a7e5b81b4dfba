#ifndef TAVICON_TEST_FRAMES_H
#define TAVICON_TEST_FRAMES_H

#include <QByteArray>
#include <QString>

#include "link/canframe.h"

// Bytes written as hexadecimal text, blanks allowed: hex("AA 55 01").
QByteArray hex(const char *text);

CanFrame makeFrame(quint32 id, FrameFormat format, const QByteArray &data, bool remote = false);
QByteArray fixedBytes(quint32 id, FrameFormat format = FrameFormat::Standard,
                      const QByteArray &data = QByteArray(), bool remote = false);
QByteArray variableBytes(quint32 id, FrameFormat format = FrameFormat::Standard,
                         const QByteArray &data = QByteArray(), bool remote = false);
// An identifier as the traffic view shows it: "0x" and eight digits.
QString idText(quint32 id);
// Fixed standard data frames with identifiers 0, 1, ... count - 1, no data.
QByteArray fixedFramesCountingUp(quint32 count);

#endif // TAVICON_TEST_FRAMES_H
