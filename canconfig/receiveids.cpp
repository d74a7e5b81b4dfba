#include "canconfig/receiveids.h"

#include "files/textfile.h"
#include "canconfig/convertercommands.h"

ReceiveIdList receiveIdsFromRows(const QList<ReceiveIdCell> &rows)
{
    ReceiveIdList list;
    for (int row = 0; row < rows.size(); ++row) {
        if (!rows.at(row))
            continue;
        if (list.identifiers.size() >= MaxReceiveIds) {
            list.fault = ReceiveIdList::Fault::TooMany;
            return list;
        }
        bool ok = false;
        const int id = rows.at(row)->toInt(&ok, 16);
        if (!ok || id < 0 || containsLineBreak(*rows.at(row))) {
            list.fault = ReceiveIdList::Fault::BadRow;
            list.badRow = row;
            return list;
        }
        list.identifiers.append(quint32(id));
    }
    return list;
}

QByteArray receiveIdFileText(const QList<ReceiveIdCell> &rows)
{
    QByteArray text;
    for (const ReceiveIdCell &cell : rows) {
        if (!cell || cell->trimmed().isEmpty())
            continue;
        text.append(cell->toUtf8());
        text.append('\n');
    }
    return text;
}

QString saveReceiveIdFile(const QString &fileName, const QList<ReceiveIdCell> &rows)
{
    for (int row = 0; row < rows.size(); ++row) {
        const ReceiveIdCell &cell = rows.at(row);
        if (cell && !cell->trimmed().isEmpty() && containsLineBreak(*cell))
            return lineBreakSaveRefusedText(row);
    }
    if (!writeTextFile(fileName, receiveIdFileText(rows)))
        return fileSaveFailedText(fileName);
    return QString();
}

bool readReceiveIdFile(const QString &fileName, QStringList *texts)
{
    QStringList read;
    const bool opened = forEachTextLine(fileName, [&](const QByteArray &line) {
        const QString text = QString::fromUtf8(line.trimmed());
        if (text.isEmpty())
            return false;
        read.append(text);
        return true;
    });
    if (opened)
        *texts = read;
    return opened;
}
