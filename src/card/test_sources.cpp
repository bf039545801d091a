#include "card/test_sources.h"

TestSources& testSources()
{
    static TestSources sources;
    return sources;
}
