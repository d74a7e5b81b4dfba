#ifndef TAVICON_TEST_TSHARK_H
#define TAVICON_TEST_TSHARK_H

#include <QStringList>

// tshark's arguments that print one line per CAN frame: identifier (decimal),
// extended flag, remote flag, length and data in hexadecimal, tab-separated,
// then the fields of `extra`. The dissectors that guess at CAN payloads
// (AUTOSAR network management, signal and multiplexed PDUs) are off, so that
// every frame's data stays raw data.
QStringList tsharkCanFields(const QStringList &extra = {});

#endif // TAVICON_TEST_TSHARK_H
