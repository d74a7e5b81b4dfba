#ifndef TAVICON_TRAFFICLOG_H
#define TAVICON_TRAFFICLOG_H

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

// Traffic log files: one line of fixed-width fields per row of the traffic
// view, UTF-8 without byte-order mark, written in text mode.

// `padding` holds the blanks that complete a field: entry k is a text of
// padding.size() - k blanks (the window's `columnPadding`: 20 down to 1), so the
// field width is padding.size(), counted in QString units (a Chinese character
// is one).

// The padding of the program's logs, 20 blanks down to 1 (what the window keeps
// in `columnPadding`), for readers and writers outside the window.
const QStringList &standardLogPadding();

// `text` followed by blanks up to the field width; a text of that length or
// more is returned unchanged.
QString logField(const QString &text, const QStringList &padding);

// The header line: one field per header text, then "\n". `headerTexts` ends
// where the view's first missing header item is.
QByteArray logHeaderLine(const QStringList &headerTexts, const QStringList &padding);

// The line of one row: one field per column, then "\n". A cell without an item
// is a null string and becomes a field of blanks, like an empty text. A "\n"
// or "\r" inside a text is written as a blank.
QByteArray logRowLine(const QStringList &cellTexts, const QStringList &padding);

// "yyyyMMdd_hhmmss_zzz.txt" of `time`; from attempt 2 on "_2", "_3", … stand
// before ".txt".
QString autoLogFileName(const QDateTime &time, int attempt = 1);

// Creates a new automatic log named after `time` and writes `content` to it.
// An existing file is never opened: the next numbered name is tried instead.
// `fileName` receives the name created, or the name tried when creating failed.
bool createAutoLogFile(const QDateTime &time, const QByteArray &content, QString *fileName);

// Appends `content` to the log `fileName` (created when it has gone).
bool appendToLogFile(const QString &fileName, const QByteArray &content);

// The status-bar text for an automatic log that could not be written.
QString autoSaveFailedText(const QString &fileName);

#endif // TAVICON_TRAFFICLOG_H
