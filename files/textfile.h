#ifndef TAVICON_TEXTFILE_H
#define TAVICON_TEXTFILE_H

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

// The program's settings and table files: UTF-8 text in the working directory,
// read line by line and written whole in text mode.

// Calls `line` with each line of the file, as bytes with its line end, until it
// returns false or the file ends. A UTF-8 byte-order mark in front of the first
// line (an editor may add one) is dropped. Returns false when the file cannot be
// opened for reading.
bool forEachTextLine(const QString &fileName, const std::function<bool(const QByteArray &line)> &line);

// The fields of one line of a comma-separated file: white space trimmed at both
// ends and every inner run turned into one blank, decoded as UTF-8, split at
// every "," with empty fields kept (an empty line gives one empty field).
QStringList simplifiedLineFields(const QByteArray &line);

// Replaces the file with `content` (line ends written as "\n", stored as the
// platform's line end). The old file stays whole until the new one is complete;
// where no temporary file can be made beside it (a writable file in a read-only
// folder), the file is written in place. Returns false when anything failed.
bool writeTextFile(const QString &fileName, const QByteArray &content);
// The same for a file whose bytes are written as they are.
bool writeBinaryFile(const QString &fileName, const QByteArray &content);

// The status-bar text for a file that could not be saved.
QString fileSaveFailedText(const QString &fileName);

// A "\n" or "\r" in a text the user typed or pasted (a cell copied from a
// spreadsheet carries one): saved, it would split its line in two, so the file
// would come back shorter or shifted at the next start.
bool containsLineBreak(const QString &text);
// The status-bar text for a table not saved because of it, `row` counted from 0.
QString lineBreakSaveRefusedText(int row);

#endif // TAVICON_TEXTFILE_H
