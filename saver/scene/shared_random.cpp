#include "shared_random.h"

RandomGenerator& SharedRandom()
{
    static RandomGenerator generator;
    return generator;
}
