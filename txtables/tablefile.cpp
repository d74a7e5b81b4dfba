#include "txtables/tablefile.h"

#include "app/textfile.h"

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

int firstRowWithComma(const TableFileRows &rows)
{
    for (int r = 0; r < rows.size(); ++r) {
        for (const QString &field : rows.at(r)) {
            if (field.contains(QLatin1Char(',')))
                return r;
        }
    }
    return -1;
}

QString saveTableFile(const QString &fileName, const TableFileRows &rows)
{
    const int commaRow = firstRowWithComma(rows);
    if (commaRow >= 0)
        return QStringLiteral("第%1行含有逗号，无法保存").arg(commaRow + 1);
    if (!writeTextFile(fileName, tableFileText(rows)))
        return fileSaveFailedText(fileName);
    return QString();
}
