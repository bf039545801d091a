// The support library: the re-entrant lock, the worker thread and log lines.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <vector>

#include "support/harness.h"
#include "support/log.h"
#include "support/semaphore.h"
#include "support/vrnthread.h"

namespace {

void setVariable(const char* name, const char* value)
{
#ifdef _WIN32
    _putenv_s(name, value ? value : "");
#else
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
#endif
}

TEST(SemaphoreTest, HolderEntersAgainAndOthersWait)
{
    SEMAPHORE lock(0);
    lock.in(0);
    lock.in(0);
    std::atomic<bool> entered{false};
    std::thread other([&] {
        SemaphoreScope hold(lock);
        entered = true;
    });
    lock.out();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(entered.load()) << "one hold is still held";
    lock.out();
    other.join();
    EXPECT_TRUE(entered.load());
}

TEST(SemaphoreTest, CountsStayConsistentUnderContention)
{
    SEMAPHORE lock(0);
    int counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) {
                SemaphoreScope outer(lock);
                SemaphoreScope inner(lock);
                ++counter;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 40000);
}

class Ticker : public VRNTHREAD {
public:
    Ticker() : VRNTHREAD(nullptr) {}
    ~Ticker() override { StopAndJoin(); }
    int Body() override
    {
        while (!StopRequest) {
            ++ticks;
            Sleep(10000); // a Stop must cut this short
        }
        return 1;
    }
    std::atomic<int> ticks{0};
};

TEST(VrnThreadTest, StopWakesTheBodyAndWaitsForIt)
{
    Ticker ticker;
    EXPECT_FALSE(ticker.Running());
    ticker.Start();
    while (ticker.ticks == 0)
        std::this_thread::yield();
    EXPECT_TRUE(ticker.Running());
    EXPECT_EQ(ticker.Start(), 0) << "one body at a time";
    auto before = std::chrono::steady_clock::now();
    ticker.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
    EXPECT_FALSE(ticker.Running());
    EXPECT_NE(ticker.StopRequest.load(), 0);
    ticker.Stop(); // nothing runs: nothing happens
    ticker.Start();
    while (ticker.ticks < 2)
        std::this_thread::yield();
    EXPECT_EQ(ticker.StopRequest.load(), 0);
}

TEST(LogTest, LinesGoToTheSinkOrTheLogFile)
{
    std::vector<std::string> lines;
    setLogSink([&](const std::string& line) { lines.push_back(line); });
    Log("value %d 0x%04X", 5, 0x70);
    setLogSink({});
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "value 5 0x0070");

    std::string path = harness::scratchDirectory() + "/lines.log";
    setVariable("SAA7146_LOG", path.c_str());
    Log("first");
    Log("second %s", "line");
    setVariable("SAA7146_LOG", nullptr);
    std::ifstream file(path);
    std::string first, second;
    std::getline(file, first);
    std::getline(file, second);
    EXPECT_EQ(first, "first");
    EXPECT_EQ(second, "second line");
}

} // namespace
