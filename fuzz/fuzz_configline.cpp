// The cfg.txt line: any line is either refused as short or read into the 13
// settings, and the line written from those settings reads back the same.

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
    ConfigLine again;
    if (!parseConfigFields(simplifiedLineFields(written), &again) || configFileText(again) != written)
        std::abort();
    return 0;
}
