#ifndef TAVICON_EMULATOR_GENERATIONSETTINGS_H
#define TAVICON_EMULATOR_GENERATIONSETTINGS_H

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

// What one generation run of CAN traffic towards the host looks like.
struct GenerationSettings
{
    enum class Framing { Auto, Fixed, Variable, Mixed };
    enum class Format { Random, Standard, Extended };
    enum class Data { Random, Sequence, Fixed };

    qint64 count = 0;
    double rate = 0;                  // frames per second; 0 = as fast as the line takes them
    Framing framing = Framing::Auto;  // auto = framing of the last set-and-start
    bool randomId = true;
    quint32 id = 0;                   // used when !randomId
    quint32 idSetSize = 0;            // > 0: identifiers 0 .. idSetSize-1 in turn
    Format format = Format::Random;
    Data data = Data::Random;
    QByteArray fixedData;             // used for Data::Fixed
    double remoteShare = 0;           // 0..1
    double noise = 0;                 // 0..1, chance of noise bytes before a frame
    std::optional<quint32> seed;      // reseeds the random generator when the run starts
    int delayMs = 0;
};

// Sets one value by its key: count, rate, framing, id, format, data, remote,
// noise, seed, delay. The same keys serve the command line and the console.
bool setGenerationValue(GenerationSettings &settings, const QString &key, const QString &value,
                        QString *why);

// True when every character is an ASCII hexadecimal digit.
bool isHexText(const QString &text);

#endif // TAVICON_EMULATOR_GENERATIONSETTINGS_H
