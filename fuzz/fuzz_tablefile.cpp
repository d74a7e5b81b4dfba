// The send tables' file reader: any file loads without a fault, every row has
// the fields asked for, and a table saved from what was loaded loads the same.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

#include "txtables/tablefile.h"

namespace {

QString scratchFile()
{
    // In memory where the system offers it: the target writes a file per run.
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/tavicon-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/tavicon-fuzz-XXXXXX"));
    return dir.filePath(QStringLiteral("table.txt"));
}

void writeBytes(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
}

} // namespace

// The first byte chooses the field count the reader asks for (3 or 5).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const int minFields = (data[0] & 1) ? 5 : 3;
    const QString name = scratchFile();
    writeBytes(name, QByteArray(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1)));

    TableFileRows rows;
    if (!readTableFile(name, minFields, &rows))
        std::abort();
    for (const QStringList &fields : std::as_const(rows)) {
        if (fields.size() < minFields)
            std::abort();
    }
    writeBytes(name, tableFileText(rows));
    TableFileRows again;
    if (!readTableFile(name, minFields, &again) || again != rows)
        std::abort();
    return 0;
}
