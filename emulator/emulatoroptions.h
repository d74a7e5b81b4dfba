#ifndef TAVICON_EMULATOR_EMULATOROPTIONS_H
#define TAVICON_EMULATOR_EMULATOROPTIONS_H

#include <QString>
#include <QStringList>

#include "emulator/busstatus.h"
#include "emulator/generationsettings.h"

struct EmulatorOptions
{
    GenerationSettings generation;
    BusStatus status;
    QString linkPath;
    bool exitWhenDone = false;
    bool quitOnEof = false;
    bool simulatedBus = false;
};

// Reads the command line. --help prints the usage and ends the process with
// status 0; a wrong option value returns false with the reason in `why`.
bool parseEmulatorOptions(const QStringList &arguments, EmulatorOptions *options, QString *why);

#endif // TAVICON_EMULATOR_EMULATOROPTIONS_H
