#include "card/test_sources.h"

#include "support/module_state.h"

TestSources& testSources()
{
    return moduleState<TestSources>();
}
