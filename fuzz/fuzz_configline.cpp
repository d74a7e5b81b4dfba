// The cfg.txt line: any line is either refused as short or read into the 13
// settings, and the line written from those settings reads back the same; the
// set-and-start settings it gives store as a line that gives them again.

#include <QByteArray>
#include <cstdlib>

#include "files/textfile.h"
#include "canconfig/configfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray line(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList fields = simplifiedLineFields(line);
    ConfigLine config;
    if (!parseConfigFields(fields, &config)) {
        if (fields.size() >= ConfigFieldCount)
            std::abort();
        return 0;
    }
    const QByteArray written = configFileText(config);
    ConfigLine back;
    if (!parseConfigFields(simplifiedLineFields(written), &back) || configFileText(back) != written)
        std::abort();
    SetStartSettings s = formStartSettings();
    const ConfigRefusal refusal = readConfigLine(config, &s);
    SetStartSettings again = formStartSettings();
    const ConfigLine stored = configLineFor(s, 0, config.prescaler, config.busSpeed, config.filter, config.mask);
    if (readConfigLine(stored, &again) != refusal || setStartCommand(again) != setStartCommand(s))
        std::abort();
    return 0;
}
