#include "traffic/statisticsindex.h"

#include <QHash>

#include "app/mainwindow.h"

namespace {

QHash<QString, int> &positions()
{
    static QHash<QString, int> index;
    return index;
}

// The list is a plain program-wide value; should it have been changed behind
// the index's back, the index is rebuilt before it is trusted.
QHash<QString, int> &syncedPositions()
{
    QHash<QString, int> &index = positions();
    if (index.size() != statisticsIds.size()) {
        index.clear();
        for (int i = int(statisticsIds.size()) - 1; i >= 0; --i)
            index.insert(statisticsIds.at(i), i);   // first occurrence wins
    }
    return index;
}

} // namespace

int statisticsPosition(const QString &id)
{
    return syncedPositions().value(id, -1);
}

int appendStatisticsId(const QString &id)
{
    QHash<QString, int> &index = syncedPositions();
    statisticsIds.append(id);
    const int position = int(statisticsIds.size()) - 1;
    index.insert(id, position);
    return position;
}

void clearStatisticsIds()
{
    statisticsIds.clear();
    positions().clear();
}
