#ifndef TAVICON_TABLEFILE_H
#define TAVICON_TABLEFILE_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The comma-separated files of the send tables (manual.txt, auto.txt,
// reply.txt): one row per line, fields joined by "," without quoting.

using TableFileRows = QList<QStringList>;

// The rows of the file, each holding the fields of one line (simplified, UTF-8,
// empty fields kept); reading ends at the first line with fewer than
// `minFields` fields. Returns false when the file cannot be opened.
bool readTableFile(const QString &fileName, int minFields, TableFileRows *rows);

// The file's text: each row's fields joined by "," and followed by "\n".
QByteArray tableFileText(const TableFileRows &rows);

// Why the rows cannot be saved, or a null string: the first row with a "," in
// a field (it would come back with its fields shifted) gives
// "第%1行含有逗号，无法保存", the first with a line break in a field (it would
// come back as two lines) lineBreakSaveRefusedText(); the row counted from 1,
// a row holding both gives the comma's text.
QString tableSaveFault(const TableFileRows &rows);

// Writes the rows to the file, replacing it whole. Returns a null string on
// success, otherwise the status-bar text: tableSaveFault(rows), and the file
// is left as it was, or fileSaveFailedText(fileName) when it cannot be written.
QString saveTableFile(const QString &fileName, const TableFileRows &rows);

#endif // TAVICON_TABLEFILE_H
