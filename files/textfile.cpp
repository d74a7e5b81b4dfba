#include "files/textfile.h"

#include <QFile>
#include <QSaveFile>

namespace {
const QByteArray kUtf8Bom("\xEF\xBB\xBF");
}

bool forEachTextLine(const QString &fileName, const std::function<bool(const QByteArray &line)> &line)
{
    // Read as bytes: a text-mode read drops a "\r" inside a line or not,
    // depending on where the read buffer happens to end. Only the line end
    // "\r\n" is turned into "\n".
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bool first = true;
    while (!file.atEnd()) {
        QByteArray bytes = file.readLine();
        if (bytes.endsWith("\r\n"))
            bytes.remove(bytes.size() - 2, 1);
        if (first && bytes.startsWith(kUtf8Bom))
            bytes.remove(0, kUtf8Bom.size());
        first = false;
        if (!line(bytes))
            break;
    }
    return true;
}

QStringList simplifiedLineFields(const QByteArray &line)
{
    // Decoding drops a byte-order mark in front of the text; drop it before
    // the blanks are trimmed, so that the line reads the same when saved again.
    QByteArray bytes = line.simplified();
    while (bytes.startsWith(kUtf8Bom))
        bytes = bytes.mid(kUtf8Bom.size()).simplified();
    return QString::fromUtf8(bytes).split(QLatin1Char(','), Qt::KeepEmptyParts);
}

namespace {
bool replaceFile(const QString &fileName, const QByteArray &content, QIODevice::OpenMode mode)
{
    QSaveFile file(fileName);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly | mode))
        return false;
    if (file.write(content) != content.size()) {
        file.cancelWriting();
        file.commit();
        return false;
    }
    return file.commit();
}
} // namespace

bool writeTextFile(const QString &fileName, const QByteArray &content)
{
    return replaceFile(fileName, content, QIODevice::Text);
}

bool writeBinaryFile(const QString &fileName, const QByteArray &content)
{
    return replaceFile(fileName, content, QIODevice::NotOpen);
}

QString fileSaveFailedText(const QString &fileName)
{
    return QStringLiteral("文件保存失败：%1").arg(fileName);
}

bool containsLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

QString lineBreakSaveRefusedText(int row)
{
    return QStringLiteral("第%1行含有换行符，无法保存").arg(row + 1);
}
