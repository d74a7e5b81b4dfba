#ifndef TAVICON_TEST_TESTFILES_H
#define TAVICON_TEST_TESTFILES_H

#include <QByteArray>
#include <QString>

// A file's whole content, or "<missing>" when it cannot be read.
QByteArray fileBytes(const QString &path);
// Writes the file anew with exactly these bytes; a failure stops the test program.
void writeFileBytes(const QString &path, const QByteArray &bytes);

#endif // TAVICON_TEST_TESTFILES_H
