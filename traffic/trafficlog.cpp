#include "traffic/trafficlog.h"

#include <QFile>

namespace {

// A name taken this many times over is not a clash of time stamps any more.
constexpr int kMaxNameAttempts = 1000;

QByteArray fieldsLine(const QStringList &texts, const QStringList &padding)
{
    const qsizetype width = padding.size();
    QString line;
    line.reserve(texts.size() * width + 1);
    for (const QString &text : texts) {
        line += text;
        if (text.size() < width)
            line += padding.at(text.size());
    }
    // A traffic cell the user edited may hold a line break; each row stays one line.
    for (QChar &c : line) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    }
    line += QLatin1Char('\n');
    return line.toUtf8();
}

// Writes everything and makes sure it reached the file: a full disk shows
// only when the buffer is flushed.
bool writeAndClose(QFile &file, const QByteArray &content)
{
    const bool written = file.write(content) == content.size() && file.flush();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

} // namespace

const QStringList &standardLogPadding()
{
    static const QStringList padding = [] {
        constexpr int kWidth = 20;
        QStringList blanks;
        for (int k = 0; k < kWidth; ++k)
            blanks.append(QString(kWidth - k, QLatin1Char(' ')));
        return blanks;
    }();
    return padding;
}

QString logField(const QString &text, const QStringList &padding)
{
    return text.size() < padding.size() ? text + padding.at(text.size()) : text;
}

QByteArray logHeaderLine(const QStringList &headerTexts, const QStringList &padding)
{
    return fieldsLine(headerTexts, padding);
}

QByteArray logRowLine(const QStringList &cellTexts, const QStringList &padding)
{
    return fieldsLine(cellTexts, padding);
}

QString autoLogFileName(const QDateTime &time, int attempt)
{
    const QString stamp = time.toString(QStringLiteral("yyyyMMdd_hhmmss_zzz"));
    if (attempt < 2)
        return stamp + QStringLiteral(".txt");
    return QStringLiteral("%1_%2.txt").arg(stamp).arg(attempt);
}

bool createAutoLogFile(const QDateTime &time, const QByteArray &content, QString *fileName)
{
    for (int attempt = 1; attempt <= kMaxNameAttempts; ++attempt) {
        const QString name = autoLogFileName(time, attempt);
        *fileName = name;
        QFile file(name);
        if (file.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::NewOnly))
            return writeAndClose(file, content);
        if (!QFile::exists(name))
            return false;
    }
    return false;
}

bool appendToLogFile(const QString &fileName, const QByteArray &content)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return false;
    return writeAndClose(file, content);
}

QString autoSaveFailedText(const QString &fileName)
{
    return QStringLiteral("自动保存失败：%1").arg(fileName);
}
