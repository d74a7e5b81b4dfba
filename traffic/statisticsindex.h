#ifndef TAVICON_STATISTICSINDEX_H
#define TAVICON_STATISTICSINDEX_H

#include <QString>

// Finds identifiers in the program-wide list `statisticsIds` in constant time.
// The list keeps the order of first appearance (position = row); a hash beside
// it maps each text to its position and follows every change made here.

// Position of `id`, or -1.
int statisticsPosition(const QString &id);
// Appends `id` and returns its position.
int appendStatisticsId(const QString &id);
void clearStatisticsIds();

#endif // TAVICON_STATISTICSINDEX_H
