#include "support/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/platform.h"
#include "support/module_state.h"

namespace {

std::mutex& sinkMutex()
{
    return moduleState<std::mutex>();
}

std::function<void(const std::string&)>& sinkFunction()
{
    return moduleState<std::function<void(const std::string&)>>();
}

void writeDefault(const std::string& line)
{
    const char* path = getenv("SAA7146_LOG");
    if (path && *path) {
        if (FILE* file = fopen(path, "a")) {
            fprintf(file, "%s\n", line.c_str());
            fclose(file);
            return;
        }
    }
#ifdef _WIN32
    OutputDebugStringA((line + "\n").c_str());
#else
    fprintf(stderr, "%s\n", line.c_str());
#endif
}

} // namespace

int Log(const char* format, ...)
{
    if (!format)
        return 0;
    char buffer[1024];
    va_list args;
    va_start(args, format);
    int length = vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    if (length < 0)
        return 0;
    std::string line(buffer);
    std::lock_guard<std::mutex> hold(sinkMutex());
    if (sinkFunction())
        sinkFunction()(line);
    else
        writeDefault(line);
    return 1;
}

void setLogSink(std::function<void(const std::string&)> sink)
{
    std::lock_guard<std::mutex> hold(sinkMutex());
    sinkFunction() = std::move(sink);
}
