#ifndef TAVICON_RECEIVEIDS_H
#define TAVICON_RECEIVEIDS_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The receive-ID table: its rows turned into the identifiers of the filter
// command, and the lines of receiveID.txt.

// One row of the table: the text of its item, or nothing for a row without one.
using ReceiveIdCell = std::optional<QString>;

struct ReceiveIdList
{
    enum class Fault { None, TooMany, BadRow };
    QList<quint32> identifiers;
    Fault fault = Fault::None;
    int badRow = -1;                 // table row index of a BadRow
};

// Walks the rows from the first: rows without an item are skipped; a row that
// would be identifier 51 gives TooMany; a text that QString::toInt does not
// read in base 16, reads as negative or holds a line break gives BadRow. The
// first fault wins.
ReceiveIdList receiveIdsFromRows(const QList<ReceiveIdCell> &rows);

// One text per line; texts that are empty once trimmed are left out (an empty
// line ends the list when it is read back).
QByteArray receiveIdFileText(const QList<ReceiveIdCell> &rows);

// Writes receiveIdFileText(rows) to the file. Returns a null string on success,
// otherwise the status-bar text: the first row whose text is not blank but
// holds a line break gives lineBreakSaveRefusedText() and the file is left as it
// was; a file that cannot be written gives fileSaveFailedText(fileName).
QString saveReceiveIdFile(const QString &fileName, const QList<ReceiveIdCell> &rows);

// The texts of the file's lines, trimmed, up to the first empty one. False
// when the file cannot be opened.
bool readReceiveIdFile(const QString &fileName, QStringList *texts);

#endif // TAVICON_RECEIVEIDS_H
