#ifndef TAVICON_FUZZCHECK_H
#define TAVICON_FUZZCHECK_H

#include <cstdlib>

// An invariant of a fuzz target: a broken one stops the run, and libFuzzer
// saves the input that broke it.
inline void check(bool condition)
{
    if (!condition)
        std::abort();
}

#endif // TAVICON_FUZZCHECK_H
