#include "link/receivestats.h"

ReceiveStats &receiveStats()
{
    static ReceiveStats stats;
    return stats;
}
