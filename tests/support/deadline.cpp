// Every test of a test program has a deadline (SAA7146_TEST_DEADLINE
// seconds, 120 unless set): one that overruns it ends the process with its
// name, instead of hanging on a thread that waits for another. The system's
// part, ending the process, is the harness's of each platform.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "support/harness.h"

namespace harness {

namespace {

// The test running and since when; kept for the life of the process, as the
// watching thread outlives the listeners.
struct Running {
    std::mutex lock;
    std::string name;
    std::chrono::steady_clock::time_point started;
    std::chrono::seconds limit{120};
    bool running = false;
};

Running& running()
{
    static Running& state = *new Running;
    return state;
}

void watch()
{
    Running& state = running();
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        std::string overrun;
        {
            std::lock_guard<std::mutex> hold(state.lock);
            if (state.running && std::chrono::steady_clock::now() - state.started > state.limit)
                overrun = state.name;
        }
        if (overrun.empty())
            continue;
        fflush(stdout);
        fprintf(stderr, "\n%s did not end within its deadline of %d s: the process ends\n",
                overrun.c_str(), int(state.limit.count()));
        fflush(stderr);
        endProcessAfterOverrun();
    }
}

class Deadline : public ::testing::EmptyTestEventListener {
public:
    void OnTestProgramStart(const ::testing::UnitTest&) override
    {
        prepareProcess();
        const char* text = getenv("SAA7146_TEST_DEADLINE");
        int seconds = text ? atoi(text) : 0;
        running().limit = std::chrono::seconds(seconds > 0 ? seconds : 120);
        std::thread(watch).detach();
    }
    void OnTestStart(const ::testing::TestInfo& test) override
    {
        Running& state = running();
        std::lock_guard<std::mutex> hold(state.lock);
        state.name = std::string(test.test_suite_name()) + "." + test.name();
        state.started = std::chrono::steady_clock::now();
        state.running = true;
    }
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        Running& state = running();
        std::lock_guard<std::mutex> hold(state.lock);
        state.running = false;
    }
};

const bool installed = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new Deadline);
    return true;
}();

} // namespace

} // namespace harness
