// Hosts of SAA7146.dll that end while the library works, as a process's
// life goes under Windows (here Wine): each host says "returning" as its
// main returns, and must then be gone within 2 s, every run of 20. Run as:
//   process_life_test <process_life_host.exe> <SAA7146.dll>
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

std::string hostPath, dllPath;

struct HostRun {
    bool started = false;
    bool ended = false;        // within the time allowed
    DWORD exitCode = 0;
    std::string output;
    DWORD millisecondsAfterReturn = 0;
};

// Starts the host in mode and waits for it: up to 20 s for its "returning"
// (or its end), then up to limitMilliseconds for its end.
HostRun runHost(const char* mode, DWORD limitMilliseconds)
{
    HostRun run;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return run;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::string command = "\"" + hostPath + "\" \"" + dllPath + "\" " + mode;
    run.started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                 &startup, &process) != FALSE;
    CloseHandle(writeEnd);
    if (!run.started) {
        CloseHandle(readEnd);
        return run;
    }
    DWORD returnedAt = 0;
    DWORD startedAt = GetTickCount();
    for (;;) {
        DWORD waiting = 0;
        if (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &waiting, nullptr) && waiting) {
            char buffer[256];
            DWORD got = 0;
            if (ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr) && got) {
                run.output.append(buffer, got);
                if (!returnedAt && run.output.find("returning") != std::string::npos)
                    returnedAt = GetTickCount();
            }
            continue;
        }
        if (WaitForSingleObject(process.hProcess, 5) == WAIT_OBJECT_0) {
            run.ended = !returnedAt || GetTickCount() - returnedAt <= limitMilliseconds;
            run.millisecondsAfterReturn = returnedAt ? GetTickCount() - returnedAt : 0;
            // What it wrote last, still in the pipe.
            char buffer[256];
            DWORD got = 0;
            while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &waiting, nullptr) && waiting &&
                   ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr) && got)
                run.output.append(buffer, got);
            break;
        }
        DWORD now = GetTickCount();
        if ((returnedAt && now - returnedAt > limitMilliseconds) ||
            (!returnedAt && now - startedAt > 20000)) {
            TerminateProcess(process.hProcess, 9);
            WaitForSingleObject(process.hProcess, 5000);
            run.millisecondsAfterReturn = returnedAt ? now - returnedAt : 0;
            break;
        }
    }
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(readEnd);
    return run;
}

class ProcessLifeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Test mode: the library needs no driver; no notice box.
        ASSERT_TRUE(WritePrivateProfileStringA("Settings", "Debug", "1", "SAA7146.INI"));
        ASSERT_TRUE(WritePrivateProfileStringA("Settings", "DisplayDialog", "0", "SAA7146.INI"));
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Zemtra\\Orvik", 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        DWORD bitmap = 1; // the preview digitizes frames
        RegSetValueExA(key, "Picmode", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&bitmap), 4);
        RegCloseKey(key);
    }
    void TearDown() override
    {
        WritePrivateProfileStringA("Settings", nullptr, nullptr, "SAA7146.INI");
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Zemtra");
    }
};

// main returns while the library works: three threads digitize (each
// holding the card's lock for its 60 ms test-mode frame), or another
// thread's TavDigCapture shows its preview. The process ends within 2 s.
TEST_F(ProcessLifeTest, EndsWhileTheLibraryWorks)
{
    for (const char* mode : {"digitize", "capture"}) {
        for (int round = 0; round < 20; ++round) {
            HostRun run = runHost(mode, 2000);
            ASSERT_TRUE(run.started) << mode;
            ASSERT_NE(run.output.find("returning"), std::string::npos) << mode << ": " << run.output;
            ASSERT_TRUE(run.ended) << mode << ", round " << round << ": still running "
                                   << run.millisecondsAfterReturn << " ms after main returned";
            EXPECT_EQ(run.exitCode, 0u) << mode;
        }
    }
}

// TavDigDialog type 7 ended by WM_QUIT returns 0, puts WM_QUIT back, and
// FreeLibrary after it returns.
TEST_F(ProcessLifeTest, FullDialogEndedByQuitThenFreeLibrary)
{
    HostRun run = runHost("quit", 10000);
    ASSERT_TRUE(run.started);
    EXPECT_NE(run.output.find("dialog 0, quit back"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("freed"), std::string::npos) << run.output;
    EXPECT_EQ(run.exitCode, 0u) << run.output;
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 3) {
        fprintf(stderr, "usage: process_life_test <process_life_host.exe> <SAA7146.dll>\n");
        return 2;
    }
    hostPath = argv[1];
    dllPath = argv[2];
    return RUN_ALL_TESTS();
}
