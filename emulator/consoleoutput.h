#ifndef TAVICON_EMULATOR_CONSOLEOUTPUT_H
#define TAVICON_EMULATOR_CONSOLEOUTPUT_H

#include <QByteArray>

// Writes one line to standard output and flushes it at once: whoever drives
// the emulator reads these lines while it runs.
void printLine(const QByteArray &line);

#endif // TAVICON_EMULATOR_CONSOLEOUTPUT_H
