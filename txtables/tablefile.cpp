#include "txtables/tablefile.h"

#include <algorithm>

#include "files/textfile.h"

bool readTableFile(const QString &fileName, int minFields, TableFileRows *rows)
{
    TableFileRows read;
    const bool opened = forEachTextLine(fileName, [&](const QByteArray &line) {
        QStringList fields = simplifiedLineFields(line);
        if (fields.size() < minFields)
            return false;
        read.append(fields);
        return true;
    });
    if (opened)
        *rows = read;
    return opened;
}

QByteArray tableFileText(const TableFileRows &rows)
{
    QByteArray text;
    for (const QStringList &fields : rows) {
        text.append(fields.join(QLatin1Char(',')).toUtf8());
        text.append('\n');
    }
    return text;
}

QString tableSaveFault(const TableFileRows &rows)
{
    for (int r = 0; r < rows.size(); ++r) {
        const QStringList &fields = rows.at(r);
        const auto hasComma = [](const QString &f) { return f.contains(QLatin1Char(',')); };
        if (std::any_of(fields.begin(), fields.end(), hasComma))
            return QStringLiteral("第%1行含有逗号，无法保存").arg(r + 1);
        if (std::any_of(fields.begin(), fields.end(), containsLineBreak))
            return lineBreakSaveRefusedText(r);
    }
    return QString();
}

QString saveTableFile(const QString &fileName, const TableFileRows &rows)
{
    const QString fault = tableSaveFault(rows);
    if (!fault.isNull())
        return fault;
    if (!writeTextFile(fileName, tableFileText(rows)))
        return fileSaveFailedText(fileName);
    return QString();
}
