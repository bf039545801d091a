#include "card/test_sources.h"

TestSources& testSources()
{
    static TestSources& sources = *new TestSources;
    return sources;
}
