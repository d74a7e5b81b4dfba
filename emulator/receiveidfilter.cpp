#include "emulator/receiveidfilter.h"

namespace {
constexpr quint8 CodeUploadOnly = 0x10;
constexpr int CodeOffset = 2;
constexpr int CountOffset = 3;
constexpr int FirstIdOffset = 4;
}

void ReceiveIdFilter::program(const QByteArray &command)
{
    if (command.size() <= CountOffset)
        return;
    const int count = quint8(command.at(CountOffset));
    if (command.size() < FirstIdOffset + 4 * count + 1)
        return;
    listPasses = quint8(command.at(CodeOffset)) == CodeUploadOnly;
    identifiers.clear();
    for (int k = 0; k < count; ++k) {
        quint32 id = 0;
        for (int i = 0; i < 4; ++i)
            id |= quint32(quint8(command.at(FirstIdOffset + 4 * k + i))) << (8 * i);
        identifiers.append(id);
    }
}

bool ReceiveIdFilter::passes(quint32 identifier) const
{
    return identifiers.contains(identifier) == listPasses;
}
